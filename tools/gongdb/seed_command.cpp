// seed: demo notices for trying the board out and for measuring it at size.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "charset.h"
#include "command.h"
#include "core/date.h"
#include "notice_table.h"
#include "progress.h"
#include "store/gong_table.h"

namespace gongdb {

namespace {

constexpr long long kMaxViews = 499;

const char* const kTags[] = {"안내", "공지", "알림", "행사", "모집", "점검", "변경", "긴급"};

const char* const kSubjects[] = {
    "홈페이지 서버 정기 점검",         "신입 회원 가입 절차",        "개인정보 처리방침 개정",
    "여름 휴가 기간 고객센터 운영",    "추석 연휴 배송 일정",        "게시판 이용 규칙",
    "비밀번호 변경 권장",              "정기 총회 개최",             "봉사활동 참가자 모집",
    "자료실 파일 정리",                "설 연휴 휴무",               "연말 정산 서류 제출",
    "체육대회 일정",                   "도서관 열람실 좌석 예약",    "주차장 공사에 따른 출입 제한",
    "장학생 선발 결과",                "신규 서비스 오픈",           "회비 납부 기한",
    "우수 회원 시상",                  "사무실 이전",                "전화번호 변경",
    "동호회 사진전 작품 접수",         "겨울 캠프 참가 신청",        "시스템 장애 복구",
    "메일 서비스 중단",                "건강 검진 일정",             "교육 프로그램 수강생 모집",
    "설문 조사 참여 부탁",             "분실물 보관",                "정전 예정",
};

const char* const kSuffixes[] = {"안내", "알림", "공지", "안내드립니다", "관련 공지", "(수정)", "일정 공유",
                                 "결과 발표", "협조 요청", "변경 사항"};

const char* const kOpenings[] = {
    "안녕하십니까? 운영자입니다.", "회원 여러분께 알려 드립니다.", "항상 저희 사이트를 이용해 주셔서 감사합니다.",
    "아래와 같이 안내해 드리오니 참고하시기 바랍니다.",
};

const char* const kLines[] = {
    "일시: 매주 토요일 오전 2시부터 6시까지",
    "장소: 본관 3층 대회의실",
    "대상: 전체 회원",
    "문의: 사무국 (02-123-4567)",
    "기간 중에는 일부 서비스 이용이 제한될 수 있습니다.",
    "자세한 내용은 첨부한 안내문을 확인해 주십시오.",
    "신청은 게시판 하단의 양식을 이용해 주시기 바랍니다.",
    "준비물: 신분증, 필기도구",
    "참가비는 없으며 선착순으로 마감합니다.",
    "변경된 내용은 다음 달 1일부터 적용됩니다.",
    "불편을 드려 죄송합니다.",
    "많은 관심과 참여 부탁드립니다.",
};

const char* const kClosings[] = {"감사합니다.", "늘 건강하시기 바랍니다.", "운영진 드림", "이상입니다."};

template <std::size_t N>
std::vector<std::string> toEucKr(const char* const (&texts)[N]) {
  std::vector<std::string> out;
  for (const char* t : texts) out.push_back(utf8ToEucKr(t, "seed text"));
  return out;
}

// `daysAgo` days before today, in the board's date format.
std::string pastDate(int daysAgo) {
  const tavrix::Date now = tavrix::today();
  std::tm tm{};
  tm.tm_year = now.year - 1900;
  tm.tm_mon = now.month - 1;
  tm.tm_mday = now.day - daysAgo;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  std::mktime(&tm);
  return tavrix::formatDate(tavrix::Date{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday});
}

}  // namespace

int runSeed(const Args& args) {
  const long long count = parseCount(args.positional[0], "N");
  // The demo texts, converted once.
  const auto tags = toEucKr(kTags), subjects = toEucKr(kSubjects), suffixes = toEucKr(kSuffixes),
             openings = toEucKr(kOpenings), lines = toEucKr(kLines), closings = toEucKr(kClosings);
  const std::string crlf = "\r\n";
  // Notices spread over up to ten years of past days, newer numbers later.
  const long long span = std::min<long long>(count, 3650);

  tavrix::DbServer db = tavrix::gongDbOpen(args.dir);
  long long first = 0;
  {
    auto lock = db.lock();
    first = highestLiveNumber(db) + 1;
    checkFits(db, "NYNO", first + count - 1);
    checkFits(db, "QTY", kMaxViews);
    Progress progress("seed", count);
    for (long long k = 0; k < count; ++k) {
      const long long n = first + k;
      auto pick = [n](const std::vector<std::string>& v, long long salt) {
        return v[static_cast<std::size_t>((n * 2654435761LL + salt * 40503LL) % static_cast<long long>(v.size()))];
      };
      TableNotice notice;
      notice.nyno = n;
      notice.date = pastDate(static_cast<int>(1 + (count - 1 - k) * span / count));
      notice.title = "[" + pick(tags, 1) + "] " + pick(subjects, 2) + " " + pick(suffixes, 3);
      notice.body = pick(openings, 4) + crlf + crlf;
      const long long body = 2 + n % 4;
      for (long long l = 0; l < body; ++l) notice.body += pick(lines, 5 + l * 7) + crlf;
      notice.body += crlf + pick(closings, 6);
      notice.qty = (n * 37) % (kMaxViews + 1);
      appendNotice(db, notice);
      progress.advance(k + 1);
    }
    db.commit();  // durable while the indexes still carry their change marks
    lock.release();
  }
  db.close();
  if (count > 0)
    std::printf("added notices %lld to %lld\n", first, first + count - 1);
  else
    std::printf("added no notices\n");
  return 0;
}

}  // namespace gongdb

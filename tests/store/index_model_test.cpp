// The index against an in-memory ordered model: thousands of appends, key
// changes and deletions with exact and soft seeks and walks both ways,
// comparing position, BOF and EOF after every step. The title order has
// four keys per block, so the run goes through many splits and levels.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <variant>

#include "store/db_server.h"
#include "store/gong_table.h"
#include "store_fixture.h"

namespace tavrix::test {
namespace {

using Key = std::variant<double, std::string>;
using Entry = std::pair<Key, long>;  // (key, record number): the index order

struct Notice {
  double number = 0;
  std::string title;  // as stored: 120 bytes, blank padded
};

class Model {
 public:
  Key keyOf(int order, const Notice& n) const {
    if (order == 1) return n.number;
    return n.title.substr(0, 100);
  }
  void put(long rec, const Notice& n) {
    drop(rec);
    live_[rec] = n;
    all_[rec] = n;
    for (int o : {1, 3}) order(o).insert({keyOf(o, n), rec});
  }
  void drop(long rec) {
    auto it = live_.find(rec);
    if (it == live_.end()) return;
    for (int o : {1, 3}) order(o).erase({keyOf(o, it->second), rec});
    live_.erase(it);
  }
  std::set<Entry>& order(int o) { return o == 1 ? byNumber_ : byTitle_; }
  // Deleted notices included: a deleted record stays current until a move.
  const Notice& notice(long rec) const { return all_.at(rec); }

 private:
  std::map<long, Notice> live_, all_;
  std::set<Entry> byNumber_, byTitle_;
};

class IndexModel : public ::testing::Test {
 protected:
  void SetUp() override {
    setHideDeleted(true);
    createGongTable(dir.path());
  }

  std::string randomTitle() {
    static const char alphabet[] = {'a', 'b', ' ', '\xB0', '\xA1', 'z'};
    std::string t = std::string(rng() % 3, 'p');  // shared prefixes make equal keys likely
    const int len = static_cast<int>(rng() % 8);
    for (int i = 0; i < len; ++i) t += alphabet[rng() % sizeof alphabet];
    if (rng() % 10 == 0) t = std::string(100, 'q') + t;  // equal in the key's 100 bytes
    t.resize(120, ' ');
    return t;
  }

  // What the record server must show now.
  void expectAt(DbServer& db, const std::string& what) {
    SCOPED_TRACE(what + " step " + std::to_string(step));
    ASSERT_EQ(db.eof(), expectEof) << what;
    ASSERT_EQ(db.bof(), expectBof) << what;
    ASSERT_EQ(db.recNo(), expectEof ? 0 : expectRec) << what;
    if (!expectEof) {
      ASSERT_EQ(db.fieldGet("NYNO").number(), model.notice(expectRec).number);
      ASSERT_EQ(db.fieldGet("TITLE").text(), model.notice(expectRec).title);
    }
  }
  void setExpected(std::set<Entry>::iterator it, std::set<Entry>& s, bool bof = false) {
    expectEof = it == s.end();
    expectBof = bof;
    expectRec = expectEof ? 0 : it->second;
  }
  Entry here() const { return {model.keyOf(order, model.notice(expectRec)), expectRec}; }

  RamDir dir;
  std::mt19937 rng{20260511};
  Model model;
  int order = 1;
  long expectRec = 0;
  bool expectEof = true, expectBof = false;
  int step = 0;
};

TEST_F(IndexModel, RandomChangesSeeksAndWalksMatchTheModel) {
  auto db = gongDbOpen(dir.path());
  // A second opening adds notices now and then; `db` must see them on its
  // next move, whatever it kept from its last one.
  auto other = gongDbOpen(dir.path());
  long appended = 0;
  for (step = 0; step < 6000; ++step) {
    const int op = static_cast<int>(rng() % 100);
    auto& s = model.order(order);
    if (op < 35 || s.empty()) {  // append
      Notice n{static_cast<double>(rng() % 400), randomTitle()};
      db.append();
      db.fieldPut("NYNO", Value(n.number));
      db.fieldPut("TITLE", Value(n.title));
      model.put(++appended, n);
      expectRec = appended;
      expectEof = expectBof = false;
      ASSERT_EQ(db.recNo(), appended);
      expectAt(db, "append");
    } else if (op < 60) {  // go to a random live record by seeking its key, then change or delete it
      auto it = std::next(s.begin(), static_cast<long>(rng() % s.size()));
      const Key key = it->first;
      const bool found = order == 1 ? db.seek(Value(std::get<double>(key))) : db.seek(Value(std::get<std::string>(key)));
      ASSERT_TRUE(found);
      setExpected(s.lower_bound({key, 0}), s);
      expectAt(db, "seek live key");
      Notice n = model.notice(expectRec);
      if (op < 45) {
        n.number = static_cast<double>(rng() % 400);
        db.fieldPut("NYNO", Value(n.number));
        model.put(expectRec, n);
      } else if (op < 52) {
        n.title = randomTitle();
        db.fieldPut("TITLE", Value(n.title));
        model.put(expectRec, n);
      } else {
        db.deleteRecord();
        model.drop(expectRec);
        // The deleted record stays current until the next move.
        continue;
      }
    } else if (op < 72) {  // seek any key, exact or soft
      const bool soft = rng() % 2;
      Key key = order == 1 ? Key(static_cast<double>(rng() % 420)) : Key(randomTitle().substr(0, 1 + rng() % 3));
      const bool found = order == 1 ? db.seek(Value(std::get<double>(key)), soft)
                                    : db.seek(Value(std::get<std::string>(key)), soft);
      auto it = s.lower_bound({key, 0});
      bool expectFound = false;
      if (it != s.end()) {
        if (order == 1) expectFound = std::get<double>(it->first) == std::get<double>(key);
        else expectFound = std::get<std::string>(it->first).compare(0, std::get<std::string>(key).size(), std::get<std::string>(key)) == 0;
      }
      ASSERT_EQ(found, expectFound) << "seek step " << step;
      setExpected((expectFound || soft) ? it : s.end(), s);
      expectAt(db, soft ? "soft seek" : "seek");
    } else if (op < 96) {  // a walk from here, one way or the other
      if (rng() % 4 == 0) {
        if (rng() % 2) {
          db.goTop();
          setExpected(s.begin(), s, s.empty());
        } else {
          db.goBottom();
          setExpected(s.empty() ? s.end() : std::prev(s.end()), s, s.empty());
        }
        expectAt(db, "go top/bottom");
      }
      const int dir = rng() % 2 ? 1 : -1;
      for (int i = 0, n = 1 + static_cast<int>(rng() % 15); i < n; ++i) {
        const int stride = rng() % 4 == 0 ? 3 : 1;
        db.skip(dir * stride);
        // A skip by n is n skips by one. The current record may be deleted:
        // its place in the order still counts.
        for (int k = 0; k < stride; ++k) {
          if (dir > 0) {
            if (expectEof) setExpected(s.end(), s);
            else setExpected(s.upper_bound(here()), s);
          } else if (expectEof) {
            setExpected(s.empty() ? s.end() : std::prev(s.end()), s, s.empty());
          } else if (auto at = s.lower_bound(here()); at == s.begin()) {
            setExpected(s.begin(), s, true);
          } else {
            setExpected(std::prev(at), s);
          }
        }
        expectAt(db, dir > 0 ? "skip forward" : "skip back");
      }
    } else if (op < 98) {  // another opening appends
      db.skip(0);  // writes db's pending change first, so record numbers follow the model's
      expectBof = false;  // a skip, even by none, leaves the beginning
      Notice n{static_cast<double>(rng() % 400), randomTitle()};
      other.append();
      other.fieldPut("NYNO", Value(n.number));
      other.fieldPut("TITLE", Value(n.title));
      other.goTop();  // written now
      model.put(++appended, n);
      expectAt(db, "after another opening appended");
    } else {  // switch between number and title order
      order = order == 1 ? 3 : 1;
      db.setOrder(order);
    }
  }
  db.close();
  other.close();
  EXPECT_EQ(verifyGong(dir.path()), std::vector<std::string>{});

  // A fresh opening walks both orders exactly as the model, both ways.
  auto again = gongDbOpen(dir.path());
  for (int o : {1, 3}) {
    again.setOrder(o);
    std::vector<long> forward, backward, want;
    for (again.goTop(); !again.eof(); again.skip(1)) forward.push_back(again.recNo());
    for (again.goBottom(); !again.bof(); again.skip(-1)) backward.insert(backward.begin(), again.recNo());
    for (const auto& e : model.order(o)) want.push_back(e.second);
    EXPECT_EQ(forward, want) << "order " << o;
    EXPECT_EQ(backward, want) << "order " << o;
  }
}

TEST(SameProcess, DeletionIsHiddenAtOnceFromASecondOpening) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  auto writer = gongDbOpen(dir.path());
  for (int i = 0; i < 3; ++i) addNotice(writer, "t", "b");
  auto reader = gongDbOpen(dir.path());
  ASSERT_TRUE(reader.seek(Value(2)));

  ASSERT_TRUE(writer.seek(Value(2)));
  writer.deleteRecord();  // writer stays open, like the deletion page

  EXPECT_FALSE(reader.seek(Value(2)));
  reader.goTop();
  reader.skip(1);
  EXPECT_EQ(reader.fieldGet("NYNO").number(), 3);
  reader.goBottom();
  reader.skip(-1);
  EXPECT_EQ(reader.fieldGet("NYNO").number(), 1);
  reader.close();
  writer.close();
}

TEST(SameProcess, MoveAfterAnotherOpeningSplitTheTreeSeesEveryEntry) {
  setHideDeleted(true);
  RamDir dir;
  createGongTable(dir.path());
  auto add = [](DbServer& db, long number) {
    db.append();
    db.fieldPut("NYNO", Value(number));
  };
  auto writer = gongDbOpen(dir.path());
  for (long n = 10; n <= 400; n += 10) add(writer, n);  // two leaves: 10..310 and 320..400
  writer.goTop();
  auto reader = gongDbOpen(dir.path());
  ASSERT_TRUE(reader.seek(Value(310)));  // the last entry of the first leaf

  for (long n = 311; n <= 340; ++n)
    if (n % 10) add(writer, n);  // the second leaf overflows and splits
  writer.goTop();

  std::vector<long> seen, want;
  for (reader.skip(1); !reader.eof(); reader.skip(1)) seen.push_back(static_cast<long>(reader.fieldGet("NYNO").number()));
  for (long n = 311; n <= 400; ++n)
    if (n <= 340 || n % 10 == 0) want.push_back(n);
  EXPECT_EQ(seen, want);
}

}  // namespace
}  // namespace tavrix::test

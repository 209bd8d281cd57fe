// Every input the fuzzers ever broke the code with (fuzz/regressions/TARGET)
// and every seed (fuzz/corpus/TARGET) goes through the same entry point as
// in the fuzz target: it must end normally or in the runtime error, with
// every property the entry point checks holding.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "entry_points.h"
#include "support/temp_dir.h"

namespace tavrix::test {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputsOf(const std::string& target) {
  std::vector<fs::path> out;
  for (const char* kind : {"regressions", "corpus"}) {
    const fs::path dir = fs::path(FUZZ_DIR) / kind / target;
    if (!fs::is_directory(dir)) continue;
    for (const auto& e : fs::directory_iterator(dir))
      if (e.is_regular_file()) out.push_back(e.path());
  }
  return out;
}

class FuzzReplay : public ::testing::TestWithParam<const char*> {};

TEST_P(FuzzReplay, EveryKeptInputEndsNormallyOrInTheRuntimeError) {
  const std::string target = GetParam();
  TempDir scratch;
  const fuzz::Workspace ws(std::string(FUZZ_DIR) + "/baseline", scratch.path());
  const auto inputs = inputsOf(target);
  ASSERT_FALSE(inputs.empty()) << "no inputs for " << target;
  for (const fs::path& p : inputs) {
    SCOPED_TRACE(p.string());
    const std::string bytes = readFile(p.string());
    try {
      fuzz::runInput(target, bytes, ws);
    } catch (const std::exception& e) {
      ADD_FAILURE() << e.what();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::Values("decode", "table", "memo", "index"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace tavrix::test

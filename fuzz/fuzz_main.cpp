// One libFuzzer target; FUZZ_TARGET names the entry point (entry_points.h).
// Each process writes its inputs' files into a folder of its own, under
// $TAVRIX_FUZZ_SCRATCH when set, else /dev/shm.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "entry_points.h"

namespace {
tavrix::fuzz::Workspace* workspace = nullptr;

// The folder goes with a normal exit; after a crash it stays for a look.
void removeScratch() {
  std::system(("rm -rf '" + workspace->dir() + "'").c_str());
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* root = std::getenv("TAVRIX_FUZZ_SCRATCH");
  const std::string dir = std::string(root && *root ? root : "/dev/shm") + "/tavrix-fuzz-" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0700);
  workspace = new tavrix::fuzz::Workspace(FUZZ_BASELINE_DIR, dir);
  std::atexit(removeScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavrix::fuzz::runInput(FUZZ_TARGET, std::string_view(reinterpret_cast<const char*>(data), size), *workspace);
  return 0;
}

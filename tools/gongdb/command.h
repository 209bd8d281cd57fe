// The subcommands of gongdb and the command line they share.
//
// Every subcommand takes --dir D (the folder of the table, default the
// current one) and --help; some take options with a value or positional
// arguments, which each declares in its Command entry. A subcommand returns the exit
// status; failures are thrown (std::runtime_error or tavrix::Error) and
// reported by main as one line on standard error.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace gongdb {

struct Args {
  std::string dir = ".";
  std::map<std::string, std::string> options;  // --name value, without the dashes
  std::vector<std::string> positional;

  bool has(const std::string& name) const { return options.count(name) != 0; }
  std::string option(const std::string& name, const std::string& otherwise = {}) const;
};

struct Command {
  const char* name;
  const char* synopsis;  // one line for `gongdb --help`
  const char* usage;     // the full --help text
  std::vector<std::string> valueOptions;  // --name value, besides --dir
  std::size_t minPositional = 0;
  std::size_t maxPositional = 0;
  int (*run)(const Args&);
};

int runCreate(const Args& args);
int runCheck(const Args& args);
int runReindex(const Args& args);
int runImport(const Args& args);
int runExport(const Args& args);
int runSeed(const Args& args);
int runPack(const Args& args);
int runList(const Args& args);

// Finishes or undoes a pack that a crash interrupted (see pack.cpp); every
// subcommand calls it before it touches the table.
void recoverInterruptedPack(const std::string& dir);

// Whole number >= 0 from a command-line argument; anything else is an error
// naming `what`.
long long parseCount(const std::string& text, const std::string& what);

}  // namespace gongdb

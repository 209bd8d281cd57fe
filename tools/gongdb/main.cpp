// gongdb: the table tool of the notice board. It creates, checks, repairs,
// fills, empties out and shows the notice table Gong (Gong.dbf, Gong.dbt and
// the indexes Gong1..3.ndx) that Tavrix.exe serves. Texts on the terminal and
// in exchange files are UTF-8; the table holds EUC-KR.
#include <cstdio>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>

#include "command.h"
#include "core/date.h"
#include "core/error.h"
#include "frontend/start.h"

namespace gongdb {

namespace {

const Command kCommands[] = {
    {"create", "make an empty table and its three indexes",
     "usage: gongdb create [--dir D]\n"
     "Makes Gong.dbf, Gong.dbt and the indexes Gong1.ndx, Gong2.ndx, Gong3.ndx,\n"
     "all empty, in D. Refuses when any of them exists already.\n",
     {}, 0, 0, runCreate},
    {"check", "verify table, memo and indexes against each other",
     "usage: gongdb check [--dir D]\n"
     "Reads the table, its memo file and its three indexes without trusting any\n"
     "of them and prints every problem found, one per line. Exits with status 1\n"
     "when there is any.\n",
     {}, 0, 0, runCheck},
    {"reindex", "rebuild the three indexes from the table",
     "usage: gongdb reindex [--dir D]\n"
     "Rebuilds Gong1.ndx (NYNO), Gong2.ndx (NYDATE) and Gong3.ndx (TITLE) from\n"
     "the table, making any that is missing. Works on a table written by another\n"
     "dBASE tool, whatever other fields it has.\n",
     {}, 0, 0, runReindex},
    {"import", "add notices from a JSON Lines or CSV file",
     "usage: gongdb import FILE [--format jsonl|csv] [--dir D]\n"
     "Adds the notices in FILE (UTF-8; \"-\" reads standard input). The format\n"
     "follows the extension (.csv is CSV, anything else JSON Lines) unless\n"
     "--format names it. Fields: nyno, nydate, title, bigo, qty; only title is\n"
     "required. Given numbers, dates and counters are kept; a notice without a\n"
     "number is numbered on from the highest (in the table or in the file), one\n"
     "without a date gets today's. Everything is added under one lock and made\n"
     "durable once at the end; a faulty file adds nothing.\n",
     {"format"}, 1, 1, runImport},
    {"export", "write the live notices as JSON Lines or CSV",
     "usage: gongdb export [FILE] [--format jsonl|csv] [--dir D]\n"
     "Writes every live notice, lowest number first, to FILE or standard output,\n"
     "in UTF-8 with its number, date, title, body and view counter. The format\n"
     "follows FILE's extension unless --format names it; JSON Lines by default.\n",
     {"format"}, 0, 1, runExport},
    {"seed", "add N demo notices",
     "usage: gongdb seed N [--dir D]\n"
     "Adds N demo notices with Korean titles and bodies of several lines,\n"
     "numbered on from the highest live number, dated over past days (newer\n"
     "numbers on later days) in the board's date format, under one lock with one\n"
     "sync at the end.\n",
     {}, 1, 1, runSeed},
    {"pack", "drop deleted notices and unused memo blocks",
     "usage: gongdb pack [--dir D]\n"
     "Rewrites the table without its deleted records and the memo file without\n"
     "unused blocks, keeping every live record (its number and every field, even\n"
     "ones the board does not know) as it was, and rebuilds the indexes. The new\n"
     "files are written beside the old ones and renamed into place, so a crash\n"
     "loses nothing: the next gongdb run finishes or undoes an interrupted pack.\n"
     "The table must not be in use while it is packed.\n",
     {}, 0, 0, runPack},
    {"list", "show the live notices, newest first",
     "usage: gongdb list [--limit N] [--dir D]\n"
     "Shows number, date, view counter and title of each live notice, newest\n"
     "first (only the newest N with --limit).\n",
     {"limit"}, 0, 0, runList},
};

void printOverview(std::FILE* to) {
  std::fputs("usage: gongdb COMMAND [options]    (gongdb COMMAND --help for more)\n"
             "The notice table tool: works on Gong.dbf, Gong.dbt and Gong1..3.ndx in the\n"
             "folder given by --dir D (default: the current folder).\n\ncommands:\n",
             to);
  for (const auto& c : kCommands) std::fprintf(to, "  %-8s %s\n", c.name, c.synopsis);
}

bool contains(const std::vector<std::string>& list, const std::string& s) {
  for (const auto& x : list)
    if (x == s) return true;
  return false;
}

Args parseArgs(const Command& cmd, int argc, char** argv, bool& help) {
  Args args;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      help = true;
      continue;
    }
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      std::string name = a.substr(2), value;
      const auto eq = name.find('=');
      const bool inlineValue = eq != std::string::npos;
      if (inlineValue) {
        value = name.substr(eq + 1);
        name.resize(eq);
      }
      if (name == "dir" || contains(cmd.valueOptions, name)) {
        if (!inlineValue) {
          if (i + 1 >= argc) throw std::runtime_error("--" + name + " needs a value");
          value = argv[++i];
        }
        if (name == "dir") args.dir = value.empty() ? "." : value;
        else args.options[name] = value;
      } else {
        throw std::runtime_error("unknown option --" + name + " (see gongdb " + cmd.name + " --help)");
      }
      continue;
    }
    args.positional.push_back(a);
  }
  if (!help && (args.positional.size() < cmd.minPositional || args.positional.size() > cmd.maxPositional)) {
    const std::string usage = cmd.usage;
    throw std::runtime_error("wrong number of arguments; " + usage.substr(0, usage.find('\n')));
  }
  return args;
}

std::string oneLine(std::string s) {
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::string describe(const tavrix::Error& e) {
  std::string s = e.fileName.empty() ? std::string() : e.fileName + ": ";
  s += e.description.empty() ? tavrix::errString(e.genCode) : e.description;
  if (!e.operation.empty()) s += " (" + e.operation + ")";
  return s;
}

}  // namespace

std::string Args::option(const std::string& name, const std::string& otherwise) const {
  auto it = options.find(name);
  return it == options.end() ? otherwise : it->second;
}

long long parseCount(const std::string& text, const std::string& what) {
  if (text.empty() || text.size() > 12 || text.find_first_not_of("0123456789") != std::string::npos)
    throw std::runtime_error(what + " must be a whole number >= 0, not \"" + text + "\"");
  return std::stoll(text);
}

int main(int argc, char** argv) {
  if (argc < 2) {
    printOverview(stderr);
    return 2;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    printOverview(stdout);
    return 0;
  }
  const Command* cmd = nullptr;
  for (const auto& c : kCommands)
    if (name == c.name) cmd = &c;
  if (!cmd) {
    std::fprintf(stderr, "gongdb: unknown command \"%s\" (gongdb --help lists them)\n", name.c_str());
    return 2;
  }
  try {
    bool help = false;
    Args args = parseArgs(*cmd, argc, argv, help);
    if (help) {
      std::fputs(cmd->usage, stdout);
      return 0;
    }
    // The same process settings as the board: deleted records hidden,
    // shared openings, the board's date format.
    tavrix::startProcess();
    tavrix::setDateFormat(tavrix::dateFormatFromLocale());
    recoverInterruptedPack(args.dir);
    return cmd->run(args);
  } catch (const tavrix::Error& e) {
    std::fprintf(stderr, "gongdb %s: %s\n", cmd->name, oneLine(describe(e)).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "gongdb %s: %s\n", cmd->name, oneLine(e.what()).c_str());
  }
  return 1;
}

}  // namespace gongdb

int main(int argc, char** argv) { return gongdb::main(argc, argv); }

// zmcli: the console front end of the engines, one subcommand per job, dispatched
// from one table that also holds every subcommand's help: its arguments, what it
// does and one line per option.
#pragma once

#include <cstdio>

struct ZmcliOption {
    const char* pszName;        // as the usage line shows it: "-o", "-r FILE.reg", "e IN OUT"
    const char* pszDescription; // one line
};

struct ZmcliCommand {
    const char* pszName;
    int (*pfnRun)(int argc, char** argv); // arguments after the subcommand's name
    const char* pszArguments;             // the usage line after the name
    const char* pszSummary;               // what it does, one line
    const ZmcliOption* pOptions;          // ended by an entry with a null name
};

// The subcommands of this build, ended by an entry with a null name.
extern const ZmcliCommand g_ZmcliCommands[];

// Runs a whole command line (argv[0] is the program). No subcommand, an unknown
// one or "help" with an unknown name print the list of subcommands to standard
// error and give 2; "--help", "-h" and "help" print it to standard output and
// give 0; "help NAME" prints that subcommand's help.
int ZmcliMain(int argc, char** argv);

// A subcommand's help: "usage: zmcli NAME ARGUMENTS", what it does, then one line
// per option.
void PrintCommandHelp(const ZmcliCommand& command, std::FILE* out);
// For a subcommand given wrong arguments: its help on standard error; gives 2.
int ZmcliUsage(const char* name);

// zmcli: the console front end of the engines, one subcommand per job, dispatched
// from one table of name, function and one-line usage.
#pragma once

struct ZmcliCommand {
    const char* pszName;
    int (*pfnRun)(int argc, char** argv); // arguments after the subcommand's name
    const char* pszUsage;                 // one line: the arguments and what it does
};

// The subcommands of this build, ended by an entry with a null name.
extern const ZmcliCommand g_ZmcliCommands[];

// Runs a whole command line (argv[0] is the program). No subcommand, an unknown
// one or "help" with an unknown name print the list of subcommands to standard
// error and give 2; "--help", "-h" and "help" print it to standard output and
// give 0; "help NAME" prints that subcommand's own usage.
int ZmcliMain(int argc, char** argv);

#include "tests/cli/ZmcliRunner.h"

#include "tests/support/OutputCapture.h"

namespace {

std::string WithoutCarriageReturns(const std::string& text)
{
    std::string s;
    for (char c : text)
        if (c != '\r')
            s += c;
    return s;
}

} // namespace

Outcome Zmcli(const CScratchDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), "zmcli");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    COutputCapture capture(dir / "out.txt", dir / "err.txt");
    Outcome o;
    o.code = ZmcliMain((int)argv.size(), argv.data());
    capture.Stop();
    o.out = WithoutCarriageReturns(capture.Out());
    o.err = WithoutCarriageReturns(capture.Err());
    return o;
}

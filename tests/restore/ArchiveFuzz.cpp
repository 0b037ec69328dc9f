// Fuzz target over the reading of archives: each input is written as an archive
// and listed, verified and extracted (with a registry file) into a scratch folder.
// Any crash, leak or undefined behaviour is a finding, and so is anything written
// beside the scratch folder, or a file the extraction leaves half written.
#include "base/JobOutput.h"
#include "restore/ArchiveExtractor.h"
#include "restore/ArchiveLister.h"
#include "restore/ArchiveVerifier.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class CNullOutput : public CJobOutput {
public:
    void AddLine(const char*, int) override {}
};

std::string g_root; // the fuzzer's own folder: the archive and out/

void RemoveBelow(const std::string& path)
{
    DIR* d = opendir(path.c_str());
    if (!d)
        return;
    while (dirent* e = readdir(d)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
            continue;
        std::string child = path + "/" + e->d_name;
        struct stat st;
        if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            chmod(child.c_str(), 0755);
            RemoveBelow(child);
            rmdir(child.c_str());
        } else {
            unlink(child.c_str());
        }
    }
    closedir(d);
}

// Names in the fuzzer's folder; only the archive, out and the registry file may
// be there.
bool OnlyOwnEntries()
{
    DIR* d = opendir(g_root.c_str());
    if (!d)
        return false;
    bool ok = true;
    while (dirent* e = readdir(d)) {
        const char* n = e->d_name;
        if (std::strcmp(n, ".") && std::strcmp(n, "..") && std::strcmp(n, "a.zma") &&
            std::strcmp(n, "out") && std::strcmp(n, "r.reg"))
            ok = false;
    }
    closedir(d);
    return ok;
}

bool NoTemporaryFiles(const std::string& path)
{
    DIR* d = opendir(path.c_str());
    if (!d)
        return true;
    bool ok = true;
    while (dirent* e = readdir(d)) {
        if (!std::strcmp(e->d_name, ".") || !std::strcmp(e->d_name, ".."))
            continue;
        if (!std::strncmp(e->d_name, "~zm", 3))
            ok = false;
        std::string child = path + "/" + e->d_name;
        struct stat st;
        if (lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            ok = ok && NoTemporaryFiles(child);
    }
    closedir(d);
    return ok;
}

void RemoveRoot()
{
    RemoveBelow(g_root);
    rmdir(g_root.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (g_root.empty()) {
        char name[64];
        std::snprintf(name, sizeof name, "/tmp/zmfuzz_archive_%d", (int)getpid());
        g_root = name;
        mkdir(g_root.c_str(), 0755);
        std::atexit(RemoveRoot);
    }
    const std::string archive = g_root + "/a.zma", out = g_root + "/out";
    FILE* f = std::fopen(archive.c_str(), "wb");
    if (!f)
        return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    CNullOutput quiet;
    {
        CArchiveReader reader;
        ArchiveHeader header;
        if (reader.Open(archive.c_str()) && reader.ReadHeader(header)) {
            CArchiveLister lister(quiet);
            CRecordWalker walker(reader, header);
            walker.Walk(lister);
        }
    }
    CArchiveVerifier::Result verified;
    {
        CArchiveVerifier verifier(quiet, true);
        verified = verifier.Verify(archive.c_str());
    }
    CArchiveExtractor::Result extracted;
    {
        CArchiveExtractor extractor(quiet);
        mkdir(out.c_str(), 0755);
        extractor.SetTarget(out);
        extractor.SetOverwrite(size % 2 == 0);
        extractor.SetRegFile(g_root + "/r.reg");
        extracted = extractor.Extract(archive.c_str());
    }
    // Both take the same files for archives, and nothing lands beside the
    // scratch folder or stays half written in it.
    if (verified == CArchiveVerifier::NOT_AN_ARCHIVE && extracted != CArchiveExtractor::NOT_AN_ARCHIVE)
        std::abort();
    if (!OnlyOwnEntries() || !NoTemporaryFiles(out))
        std::abort();
    RemoveBelow(out);
    unlink((g_root + "/r.reg").c_str());
    return 0;
}

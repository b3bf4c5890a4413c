// What saving and opening do with paths that are not plain files, files the
// user may not write, and files far larger than their network.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/file/LegacyText.h"
#include "netfile_fixture.h"

using namespace netfiletest;

namespace {

void SmallNetwork(TNetWindow& net, int nodes = 3)
{
    TNode* prev = nullptr;
    for (int i = 0; i < nodes; ++i) {
        TNode* n = Node(net, (i % 700) * 37, (i / 700) * 41, 0, "n" + std::to_string(i));
        if (prev) Link(net, prev, n, 0);
        prev = n;
    }
}

long PeakKilobytes()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

} // namespace

TEST(FileTargets, SavesGoOnlyOntoRegularFilesOrNewNames)
{
    TNetWindow net;
    SmallNetwork(net);
    TMessageSinkRecorder rec;
    const std::string fifo = TempPath("pipe.dta");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    const std::string link = TempPath("to-pipe.dta");
    std::filesystem::remove(link);
    std::filesystem::create_symlink(fifo, link);

    for (const std::string& path : {fifo, link}) {
        rec.Clear();
        const TSaveResult r = SaveNetworkFile(net, path, 9, rec);
        EXPECT_FALSE(r.Ok) << path;
        ASSERT_EQ(rec.Count(), 1u);
        EXPECT_EQ(rec.Last().Text, "File creation error");
        EXPECT_EQ(rec.Last().Caption, "Cannot Write File");
        EXPECT_TRUE(std::filesystem::is_fifo(fifo)) << path;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    if (::geteuid() == 0 && std::filesystem::exists("/dev/full")) {
        rec.Clear();
        EXPECT_FALSE(SaveNetworkFile(net, "/dev/full", 9, rec).Ok);
        EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
    }

    // A link to a regular file stays a link; its target gets the network,
    // with the target's permission bits.
    const std::string real = TempPath("real.dta");
    WriteAll(real, "old");
    ::chmod(real.c_str(), 0640);
    const std::string alias = TempPath("alias.dta");
    std::filesystem::remove(alias);
    std::filesystem::create_symlink(real, alias);
    ASSERT_TRUE(SaveNetworkFile(net, alias, 9, rec).Ok);
    EXPECT_TRUE(std::filesystem::is_symlink(alias));
    EXPECT_EQ(ReadAll(real).substr(0, 8), "ZOK 1.09");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

TEST(FileTargets, AFileTheUserMayNotWriteIsNotReplaced)
{
    // The save runs as a user who owns the folder but not the file.
    const std::string folder = TempPath("shared");
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/theirs.dta";
    WriteAll(target, "theirs");
    ::chmod(target.c_str(), 0444);
    const bool root = ::geteuid() == 0;
    if (root) {
        ::chmod(folder.c_str(), 0777);
        ::chown(target.c_str(), 0, 0);
        ::chmod(target.c_str(), 0644);
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) _exit(3);
        TNetWindow net;
        SmallNetwork(net);
        TMessageSinkRecorder rec;
        const TSaveResult r = SaveNetworkFile(net, target, 9, rec);
        const bool refused = !r.Ok && rec.Count() == 1 && rec.Last().Text == "File creation error";
        _exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(ReadAll(target) == "theirs");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 0u);
    }
}

TEST(FileTargets, AFailedRenameReportsAndKeepsTheOldFile)
{
    TNetWindow net;
    SmallNetwork(net, 9000); // enough records for the progress call
    TMessageSinkRecorder rec;
    const std::string folder = TempPath("renames");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/net.dta";
    WriteAll(path, "the old network");
    // The temporary file disappears while it is written, so the rename that
    // should follow the write has nothing to rename.
    bool removed = false;
    const TSaveResult r = SaveNetworkFile(net, path, 9, rec, [&] {
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename().string().rfind(".net.dta.tmp", 0) == 0) {
                removed |= std::filesystem::remove(e.path());
            }
    });
    ASSERT_TRUE(removed);
    EXPECT_FALSE(r.Ok);
    EXPECT_EQ(r.ErrorCode, 2);
    EXPECT_EQ(rec.Last().Text, "Network write error 2");
    EXPECT_TRUE(net.Modified);
    EXPECT_TRUE(ReadAll(path) == "the old network");
}

// A disk that takes the bytes but cannot make them durable: the save fails
// with the write error, the old file stays and no temporary file is left.
TEST(FileTargets, AFailedSyncReportsAndKeepsTheOldFile)
{
    struct TFailingSync {
        static int Fail(int)
        {
            errno = EIO;
            return -1;
        }
        TFileSync Old = ReplaceFileSync(Fail);
        ~TFailingSync() { ReplaceFileSync(Old); }
    };
    TNetWindow net;
    SmallNetwork(net);
    TMessageSinkRecorder rec;
    const std::string folder = TempPath("syncs");
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/net.dta";
    WriteAll(path, "the old network");
    auto folderEntries = [&] {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        return names;
    };
    {
        TFailingSync failing;
        const TSaveResult r = SaveNetworkFile(net, path, 9, rec);
        EXPECT_FALSE(r.Ok);
        EXPECT_EQ(r.ErrorCode, 2);
        EXPECT_EQ(rec.Count(), 1u);
        if (rec.Count() > 0) {
            EXPECT_EQ(rec.Last().Text, "Network write error 2");
        }
        EXPECT_TRUE(net.Modified);
        EXPECT_TRUE(ReadAll(path) == "the old network");
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"net.dta"});

        std::string error;
        EXPECT_FALSE(AtomicWriteFile(path, "new bytes", error));
        EXPECT_NE(error.find("write error"), std::string::npos) << error;
        EXPECT_TRUE(ReadAll(path) == "the old network");
        EXPECT_EQ(folderEntries(), std::vector<std::string>{"net.dta"});
    }
    // With a working disk the same save goes through.
    rec.Clear();
    EXPECT_TRUE(SaveNetworkFile(net, path, 9, rec).Ok);
    EXPECT_EQ(ReadAll(path).substr(0, 8), "ZOK 1.09");
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"net.dta"});
}

TEST(FileTargets, ReadsAreBoundedByTheNetwork)
{
    TMessageSinkRecorder rec;
    // Not regular files: refused at once, without waiting for a writer.
    const std::string fifo = TempPath("read-pipe.dta");
    std::filesystem::remove(fifo);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    for (const std::string& path : {std::string("/dev/zero"), fifo}) {
        TNetWindow net;
        rec.Clear();
        EXPECT_EQ(OpenNetworkFile(net, path, true, rec).Status, TOpenStatus::Failed) << path;
        EXPECT_EQ(rec.Last().Text, "Network Read Error 1");
    }

    const long before = PeakKilobytes();
    // A large file of NULs: its first line is no tag.
    const std::string nuls = TempPath("nuls.dta");
    {
        const int fd = ::open(nuls.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(768) << 20), 0); // sparse: no disk used
        ::close(fd);
    }
    TNetWindow a;
    EXPECT_EQ(OpenNetworkFile(a, nuls, true, rec).Status, TOpenStatus::Failed);
    EXPECT_EQ(rec.Last().Text, "Network Read Error 1");

    // A network followed by a large tail: the tail is never read.
    TNetWindow net;
    SmallNetwork(net);
    const std::string tailed = TempPath("tailed.dta");
    ASSERT_TRUE(SaveNetworkFile(net, tailed, 9, rec).Ok);
    {
        const int fd = ::open(tailed.c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(768) << 20), 0);
        ::close(fd);
    }
    TNetWindow b;
    rec.Clear();
    EXPECT_EQ(OpenNetworkFile(b, tailed, true, rec).Status, TOpenStatus::Ok);
    EXPECT_EQ(b.NodeHash.PointCount(), 3);
    EXPECT_EQ(b.LinkCount, 2);
    EXPECT_LT(PeakKilobytes() - before, 128 * 1024);
    std::filesystem::remove(nuls);
    std::filesystem::remove(tailed);
}

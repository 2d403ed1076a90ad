// vorlinctl given files that are not profile files as a user might name them: folders, FIFOs,
// devices, huge and empty files, and a small file whose texts multiply. Each run has a deadline
// so that a program that blocks or reads without end fails instead of hanging the suite.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "cli/cli_context.h"
#include "cli/cli_fixture.h"
#include "platform/le_bytes.h"

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kHung = -2;

class FileInput : public CliFixture {
  protected:
    // The program as a separate process, killed when it has not ended within the deadline.
    CliRun Process(std::vector<std::string> args, std::chrono::milliseconds deadline = 10s) {
        const fs::path out = dir / "stdout", err = dir / "stderr";
        std::vector<std::string> all = {VORLINCTL_PATH, "--simulate", "--sim-state",
                                        State().string()};
        all.insert(all.end(), args.begin(), args.end());
        const pid_t child = ::fork();
        if (child == 0) {
            const int in = ::open("/dev/null", O_RDONLY);
            const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(in, 0);
            ::dup2(o, 1);
            ::dup2(e, 2);
            std::vector<char*> argv;
            for (std::string& a : all) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        CliRun r;
        const auto until = std::chrono::steady_clock::now() + deadline;
        int status = 0;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > until) {
                ::kill(child, SIGKILL);
                ::waitpid(child, &status, 0);
                r.code = kHung;
                break;
            }
            std::this_thread::sleep_for(5ms);
        }
        if (r.code != kHung) r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Text(out);
        r.err = Text(err);
        return r;
    }
    static std::string Text(const fs::path& file) {
        std::ifstream in(file);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

// About 1 MiB: a text of 512 Ki - 1 units that all 2048 key actions, as text blocks, point at.
// Each key takes its own copy: 2 GiB of texts, past what a 32-bit total can count.
std::vector<uint8_t> MultiplyingTextsFile() {
    const size_t units = 512 * 1024 - 1;
    const uint32_t area = static_cast<uint32_t>((units + 1) * 2);
    std::vector<uint8_t> bytes(ImageFileSize(0, area), 0);
    ConfigImage image;
    for (int slot = 0; slot < kKeyActionSlots; ++slot) image.Slot(slot) = {kActionText, 0, 0, 0, 0};
    image.RefreshHeader(0, area, 0);
    WriteConfigImage(image, bytes.data());
    for (size_t i = 0; i < units; ++i) PutU16(bytes.data() + kImageSize + 2 * i, 'x');
    return bytes;
}

TEST_F(FileInput, ShowAndRestoreRefuseWhatIsNotAProfileFileAndSayWhy) {
    fs::create_directory(dir / "folder.fwc");
    ASSERT_EQ(::mkfifo((dir / "fifo.fwc").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.fwc");
    {
        const int fd = ::open((dir / "huge.fwc").c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t{4} << 30), 0);  // sparse: 4 GiB claimed, nothing stored
        ::close(fd);
    }
    std::ofstream(dir / "empty.fwc").close();
    WriteFile(dir / "texts.fwc", MultiplyingTextsFile());

    struct Case {
        const char* file;
        const char* why;
    };
    const Case cases[] = {
        {"folder.fwc", "is not a regular file (it is a folder)."},
        {"fifo.fwc", "is not a regular file (it is a FIFO)."},
        {"zero.fwc", "is not a regular file (it is a character device)."},
        {"huge.fwc", "is larger than 67108864 bytes."},
        {"empty.fwc", "is not a valid profile file: it is shorter than a profile image (0 bytes"},
        {"texts.fwc", "is not a valid profile file: its texts"},
    };
    for (const Case& c : cases) {
        for (const char* command : {"show", "restore"}) {
            SCOPED_TRACE(std::string(command) + " " + c.file);
            const auto started = std::chrono::steady_clock::now();
            const CliRun r = Process({command, (dir / c.file).string()});
            EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
            EXPECT_EQ(r.code, kExitBadFile) << r.err;
            EXPECT_NE(r.err.find((dir / c.file).string() + " " + std::string(c.why).substr(0, 3)),
                      std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find(c.why), std::string::npos) << r.err;
            EXPECT_TRUE(r.out.empty()) << r.out;
        }
    }
    EXPECT_TRUE(Keyboard() == FactoryMemory(SimModel::k320F_5000));
    EXPECT_FALSE(fs::exists(UserFolder() / "$Profile0"));
}

TEST_F(FileInput, ShowKeyboardWritesNoFile) {
    // Whatever the run creates in the temp folder or the user folder is seen, even if it is
    // removed again before the run ends.
    fs::create_directories(dir / "tmp");
    fs::create_directories(UserFolder());
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string previous = tmpdir ? tmpdir : "";
    setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, (dir / "tmp").c_str(), IN_CREATE | IN_MOVED_TO), 0);
    ASSERT_GE(::inotify_add_watch(watch, UserFolder().c_str(), IN_CREATE | IN_MOVED_TO), 0);

    const CliRun r = Process({"show", "--keyboard"});
    if (tmpdir) {
        setenv("TMPDIR", previous.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
    EXPECT_EQ(r.code, kExitOk) << r.err;
    EXPECT_NE(r.out.find("Profile 0:"), std::string::npos) << r.out;

    std::vector<std::string> created;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = ::read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(p);
            if (e->len) created.push_back(e->name);
            p += sizeof(inotify_event) + e->len;
        }
    }
    ::close(watch);
    // The simulated keyboard's state file is saved in the scratch folder, which is not watched.
    EXPECT_TRUE(created.empty()) << created.front();
}

}  // namespace
}  // namespace vorlin::test

// Replays fuzz inputs through a fuzz target's input function without
// libFuzzer: built with the normal compiler, it runs in every test run over
// the target's folder of regression inputs (each one a crash, a hang or a
// fault once found), so that none of them comes back.
//
// Usage: REPLAY [--decoder-limits] FOLDER_OR_FILE...
// With --decoder-limits every input runs in a child process of its own under
// the CPU-time and address-space limits of tovik-decoder: an input that the
// CPU limit stops (one that makes a metafile library loop) passes, since tovik
// refuses it the same way; a crash fails. Exit status 0 when at least one
// input ran and none failed.

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "picture/RasterFormat.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
constexpr bool kAddressSanitizer = __has_feature(address_sanitizer);
#else
constexpr bool kAddressSanitizer = false;
#endif

// True unless the input crashed its child.
bool Run(const std::filesystem::path& file, bool decoderLimits) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes)\n", file.filename().c_str(), bytes.size());
    std::fflush(stdout);
    const auto run = [&] { LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()); };
    if (!decoderLimits) {
        run();
        return true;
    }
    using namespace tovik::metafile;
    const pid_t child = fork();
    if (child == 0) {
        const rlimit cpu = {kDecoderCpuSeconds, kDecoderCpuSeconds + 1};
        setrlimit(RLIMIT_CPU, &cpu);
        const rlimit as = {static_cast<rlim_t>(kDecoderMemoryBytes), static_cast<rlim_t>(kDecoderMemoryBytes)};
        if (!kAddressSanitizer) setrlimit(RLIMIT_AS, &as);
        run();
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return false;
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU) {
        std::printf("  stopped by the CPU limit of %d s\n", kDecoderCpuSeconds);
        return true;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool decoderLimits = argc > 1 && std::strcmp(argv[1], "--decoder-limits") == 0;
    const int first = decoderLimits ? 2 : 1;
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    bool failed = false;
    for (int i = first; i < argc; ++i) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(argv[i])) {
            for (const auto& entry : std::filesystem::directory_iterator(argv[i]))
                if (entry.is_regular_file()) files.push_back(entry.path());
        } else {
            files.emplace_back(argv[i]);
        }
        std::sort(files.begin(), files.end());
        for (const auto& f : files) {
            if (!Run(f, decoderLimits)) {
                std::printf("  FAILED\n");
                failed = true;
            }
            ++replayed;
        }
    }
    std::printf("%d inputs replayed\n", replayed);
    return replayed > 0 && !failed ? 0 : 1;
}

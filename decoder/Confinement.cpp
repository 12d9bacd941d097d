#include "decoder/Confinement.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/close_range.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define TOVIK_SANITIZER_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TOVIK_SANITIZER_BUILD 1
#endif
#endif

namespace tovik::metafile {

namespace {

#ifdef TOVIK_SANITIZER_BUILD
// The sanitizers' run-time makes system calls of its own (pipes to probe
// memory, files to report in): their builds take every limit but the filter.
constexpr bool kFilter = false;
#else
constexpr bool kFilter = true;
#endif

bool Fail(std::string* reason, const char* step) {
    *reason = std::string("cannot confine the decoder: ") + step + ": " + std::strerror(errno);
    return false;
}

// The filter: every call not allowed here kills the process.
class Filter {
public:
    // For every thread of the process, the one that decodes included.
    Filter() : ctx_(seccomp_init(SCMP_ACT_KILL_PROCESS)) {
        ok_ = ctx_ && seccomp_attr_set(ctx_, SCMP_FLTATR_CTL_TSYNC, 1) == 0;
    }
    ~Filter() {
        if (ctx_) seccomp_release(ctx_);
    }
    Filter(const Filter&) = delete;
    Filter& operator=(const Filter&) = delete;

    bool ok() const { return ctx_ && ok_; }
    void Allow(int call) { ok_ = ok_ && seccomp_rule_add(ctx_, SCMP_ACT_ALLOW, call, 0) == 0; }
    // Allowed when the argument has none of the bits of mask.
    void AllowWithout(int call, unsigned argument, scmp_datum_t mask) {
        const scmp_arg_cmp cmp = {argument, SCMP_CMP_MASKED_EQ, mask, 0};
        ok_ = ok_ && seccomp_rule_add_array(ctx_, SCMP_ACT_ALLOW, call, 1, &cmp) == 0;
    }
    // Refused with an error instead of the kill: glibc tries clone3 first
    // for nothing it needs here, and falls back on ENOSYS.
    void Refuse(int call, int error) {
        ok_ = ok_ && seccomp_rule_add(ctx_, SCMP_ACT_ERRNO(error), call, 0) == 0;
    }
    int Load() { return seccomp_load(ctx_); }

private:
    scmp_filter_ctx ctx_;
    bool ok_ = true;
};

}  // namespace

void CloseInheritedFiles() {
    if (::close_range(3, ~0U, 0) == 0) return;
    const long max = ::sysconf(_SC_OPEN_MAX);
    for (long fd = 3; fd < (max > 0 ? max : 1024); ++fd) ::close(static_cast<int>(fd));
}

bool ConfineDecoder(ReadAccess access, std::string* reason) {
    if (::chdir("/") != 0) return Fail(reason, "chdir");
    const rlimit none = {0, 0};
    if (::setrlimit(RLIMIT_FSIZE, &none) != 0) return Fail(reason, "file-size limit");
    if (::setrlimit(RLIMIT_NPROC, &none) != 0) return Fail(reason, "process-count limit");
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) return Fail(reason, "no new privileges");
    if (!kFilter) return true;

    Filter f;
    for (const int call : {SCMP_SYS(read), SCMP_SYS(readv), SCMP_SYS(pread64), SCMP_SYS(write), SCMP_SYS(writev),
                           SCMP_SYS(lseek), SCMP_SYS(fstat), SCMP_SYS(newfstatat), SCMP_SYS(close),
                           SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise),
                           SCMP_SYS(futex), SCMP_SYS(sched_yield), SCMP_SYS(nanosleep), SCMP_SYS(clock_nanosleep),
                           SCMP_SYS(clock_gettime), SCMP_SYS(gettimeofday), SCMP_SYS(getpid), SCMP_SYS(gettid),
                           SCMP_SYS(getrandom), SCMP_SYS(sysinfo), SCMP_SYS(rt_sigreturn), SCMP_SYS(rt_sigprocmask),
                           SCMP_SYS(restart_syscall), SCMP_SYS(exit), SCMP_SYS(exit_group)})
        f.Allow(call);
    // Memory, but never executable memory.
    f.AllowWithout(SCMP_SYS(mmap), 2, PROT_EXEC);
    f.AllowWithout(SCMP_SYS(mprotect), 2, PROT_EXEC);
    f.Refuse(SCMP_SYS(clone3), ENOSYS);
    if (access == ReadAccess::InputAndFonts) {
        // Font files, read-only: nothing is created, written or truncated.
        const scmp_datum_t writing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND | __O_TMPFILE;
        f.AllowWithout(SCMP_SYS(openat), 2, writing);
        f.AllowWithout(SCMP_SYS(open), 1, writing);
        for (const int call : {SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(access), SCMP_SYS(faccessat),
                               SCMP_SYS(getdents64), SCMP_SYS(readlink), SCMP_SYS(fcntl)})
            f.Allow(call);
    }
    if (!f.ok()) return Fail(reason, "system-call filter");
    const int loaded = f.Load();
    if (loaded != 0) {
        errno = -loaded;
        return Fail(reason, "system-call filter");
    }
    return true;
}

}  // namespace tovik::metafile

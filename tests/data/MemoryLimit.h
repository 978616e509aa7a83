#pragma once
// Work run in a child process under a limit of address space, for out-of-memory tests.
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The address space the process has mapped now, from /proc.
inline size_t MappedNow() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0)
            return std::stoul(line.substr(7)) * 1024;
    return 0;
}

// Runs the work in a child allowed this much more address space than it has; the child's exit
// code is the work's: 0 for success, else the number of the failed step.
inline int InChildWithMemoryLimit(size_t extraBytes, const std::function<int()>& work) {
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{MappedNow() + extraBytes, MappedNow() + extraBytes};
        ::setrlimit(RLIMIT_AS, &limit);
        ::_exit(work());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

#if defined(__SANITIZE_ADDRESS__)
#define SKIP_UNDER_ADDRESS_SANITIZER() GTEST_SKIP() << "the sanitizer maps terabytes of shadow"
#else
#define SKIP_UNDER_ADDRESS_SANITIZER()
#endif

#pragma once

// The small frame of the limit programs: named cases, one per process, each
// printing its figures next to a baseline and the peak memory of the process.

#include <QElapsedTimer>
#include <QString>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <utility>

namespace LimitCase {

inline double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

inline void report(const char* what, const QString& text)
{
    std::printf("  %-28s %s\n", what, qPrintable(text));
    std::fflush(stdout);
}

inline void result(const QString& what, double figure, const QString& baselineName, double baseline)
{
    std::printf("  %-44s %8.3f s   (baseline, %s: %.3f s)\n", qPrintable(what), figure,
                qPrintable(baselineName), baseline);
    std::fflush(stdout);
}

[[noreturn]] inline void fail(const char* why)
{
    std::fprintf(stderr, "%s\n", why);
    std::exit(2);
}

using Case = std::pair<const char*, std::function<void()>>;

inline int run(int argc, char** argv, std::initializer_list<Case> cases)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CASE\ncases:", argv[0]);
        for (const Case& c : cases)
            std::fprintf(stderr, " %s", c.first);
        std::fprintf(stderr, "\n");
        return 2;
    }
    for (const Case& c : cases) {
        if (QString::fromLatin1(c.first) != QString::fromLocal8Bit(argv[1]))
            continue;
        std::printf("%s\n", c.first);
        const double total = seconds(c.second);
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("  %-44s %8.3f s, peak memory %ld MB\n", "whole case", total, usage.ru_maxrss / 1024);
        return 0;
    }
    std::fprintf(stderr, "unknown case %s\n", argv[1]);
    return 2;
}

} // namespace LimitCase

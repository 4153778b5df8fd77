#pragma once

#include <QtGlobal>

#include <thread>

// Work over many items split in two halves done at once, when there are enough of them to repay
// a second thread: work(from, to, half) runs for [0, middle) as half 0 on this thread and for
// [middle, count) as half 1 on another; fewer items are done whole as half 0. Both halves have
// returned when run() does. What both read must be laid out before (see TextColumn::layOut).
class TwoHalves
{
public:
    static constexpr qsizetype kSecondThreadFrom = 20000;

    // Where the second half starts: count itself when the items are done whole.
    static qsizetype middle(qsizetype count) { return count >= kSecondThreadFrom ? count / 2 : count; }

    template <typename Work> static void run(qsizetype count, Work&& work)
    {
        const qsizetype half = middle(count);
        if (half == count) {
            work(qsizetype(0), count, 0);
            return;
        }
        std::thread second([&] { work(half, count, 1); });
        work(qsizetype(0), half, 0);
        second.join();
    }
};

#pragma once

#include <utility>
#include <vector>

// A read-only query read until two of its replies agree.
//
// The instrument's replies to the identification's queries carry no check: a bit flipped, a
// byte lost or a stray byte on the line gives a whole, well-formed reply that says something
// else. A reply that decides what is written into the instrument (its zone, the parameters and
// options that select a configuration, the versions that choose what is installed) is
// therefore not taken on one reading: the query is asked again until two of its replies are
// the same, a bounded number of times. Replies that never agree are reported as such, and the
// caller fails honestly instead of guessing one of them.
namespace kell {

// What one reading of a query gave: its value, and whether a whole reply arrived.
template <typename T>
struct Reading {
    T value{};
    bool answered = false;
};

enum class Agreement {
    Agreed,      // two replies were the same; that is the value
    Unanswered,  // a reading got no whole reply: the value is that reading's, as from one read
    Disagreed,   // no two of the replies were the same: the value is T{}, none of them
};

template <typename T>
struct AgreedReading {
    T value{};
    Agreement agreement = Agreement::Disagreed;

    bool Agreed() const { return agreement == Agreement::Agreed; }
};

// At most this many readings of one query; one spoiled reply costs one reading more.
inline constexpr int kAgreementReadings = 4;

// Reads with `read` (a callable returning Reading<T>) until two of its replies are equal. A
// reading that gets no whole reply ends it at once, so that a silent instrument costs what one
// reading costs. Two readings when nothing is spoiled.
template <typename Read>
auto ReadUntilTwoAgree(Read&& read, int readings = kAgreementReadings)
    -> AgreedReading<decltype(read().value)> {
    using T = decltype(read().value);
    std::vector<T> replies;
    for (int i = 0; i < readings; ++i) {
        Reading<T> reply = read();
        if (!reply.answered)
            return {std::move(reply.value), Agreement::Unanswered};
        for (const T& earlier : replies) {
            if (earlier == reply.value)
                return {std::move(reply.value), Agreement::Agreed};
        }
        replies.push_back(std::move(reply.value));
    }
    return {T{}, Agreement::Disagreed};
}

}  // namespace kell

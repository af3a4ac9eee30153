#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Cuts the sentences of one type ("GSV", "RMC") of several talkers out of the received bytes in
// one pass over each block, and hands each to OnSentence with its talker.
//
// Each talker's sentences are cut as a data packet of its own with the start string
// "$<talker><type>," and the stop string "*" cuts them, so that a receiver's damaged or
// interleaved sentences reach the handlers as they always did: a sentence starts at the talker's
// first address after the end of its last one and ends at the first "*" after it, whatever lies
// between, other talkers' addresses too. One still open when a block leaves MaxSentenceBytes or
// more of it is dropped, and its talker's next starts only in a later block.
//
// The sentences of a block go out talker by talker in the order of `talkers`, each talker's in the
// order of the stream: the satellite table and the sky view, which take a round of talkers as it
// comes, see them in the order they have always seen them.
class TalkerFramer {
public:
    using SentenceEvent = std::function<void(std::string_view talker, const std::string& text)>;

    // A packet's default buffer limit: a sentence is at most 82 bytes, one this long lost its end.
    static constexpr std::size_t MaxSentenceBytes = 1024;

    // `keepFraming`: the text handed on is the whole sentence from "$" to "*"; otherwise only
    // what lies between the address and the "*".
    TalkerFramer(std::string_view type, std::vector<std::string> talkers, bool keepFraming);

    // One received block. A handler's exception leaves the block's later sentences unhandled.
    void AppendData(std::string_view block);

    SentenceEvent OnSentence;

private:
    struct Address {
        std::uint64_t at;
        std::size_t talker;
    };
    // A talker with a sentence open since `start`, or waiting for an address from `from` on.
    struct TalkerState {
        bool open = false;
        std::uint64_t start = 0;
        std::uint64_t from = 0;
    };
    struct Sentence {
        std::size_t talker;
        std::string text;
    };

    // The addresses complete in the held bytes that were not yet looked at, and the stars new in
    // this block.
    std::vector<Address> NewAddresses();
    std::vector<std::uint64_t> NewStars(std::uint64_t from) const;
    void CutTalker(std::size_t talker, const std::vector<Address>& addresses,
                   const std::vector<std::uint64_t>& stars, std::vector<Sentence>& cut);
    std::string Text(std::uint64_t start, std::uint64_t star) const;
    void Forget();
    std::uint64_t End() const { return held_ + bytes_.size(); }

    std::string suffix_;
    std::vector<std::string> talkers_;
    bool keepFraming_;
    std::vector<TalkerState> states_;
    // The received bytes still needed, from the stream offset held_ on.
    std::string bytes_;
    std::uint64_t held_ = 0;
    // Where the next address may start that was not yet looked at.
    std::uint64_t addressesFrom_ = 0;
};

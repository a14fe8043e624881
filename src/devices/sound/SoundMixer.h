#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace dravel::devices {

// Something the mixer can play: interleaved stereo frames at the output rate.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Writes up to `frames` frames; fewer means the source has reached its end.
    virtual std::size_t read(float* stereo, std::size_t frames) = 0;
    // Goes back to the beginning; false when the source cannot be read again.
    virtual bool rewind() = 0;
};

// Holds every stream created during the program's run and sums those that
// play into the output. The output callback calls mix() on its own thread;
// add() and play() come from the user-interface thread. Streams are kept
// until the mixer ends, so a handle stays valid for the whole run.
class SoundMixer {
public:
    // Takes the source over and returns its handle (never 0).
    uint32_t add(std::unique_ptr<SoundSource> source);
    // Starts a stream. A playing stream keeps going unless restart is set;
    // one that has played to its end starts again from the beginning.
    // False for an unknown handle or a source that cannot be read again.
    bool play(uint32_t handle, bool restart);
    // Stops a stream for good and frees its source (and the file it holds
    // open); the handle stays known but never plays again.
    void close(uint32_t handle);
    // Fills `frames` interleaved stereo frames with the sum of all playing
    // streams, clipped to [-1, 1]; silence when nothing plays.
    void mix(float* out, std::size_t frames);

private:
    enum class State { Created, Playing, Ended };
    struct Stream {
        std::unique_ptr<SoundSource> source;
        State state = State::Created;
    };

    void mixIn(float* out, std::size_t frames, Stream& stream);

    std::mutex mutex_;
    std::vector<Stream> streams_;
    std::vector<std::size_t> playing_;  // indexes into streams_
    std::vector<float> scratch_;
};

}  // namespace dravel::devices

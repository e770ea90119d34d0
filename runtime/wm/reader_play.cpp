// The reader's play: the worker reads packets ahead of the clock, hands over the samples the
// clock has reached, and ends at the file's end, a command or a read failure.

#include <bitset>
#include <optional>

#include "../asf/safe_file.h"
#include "block_assembler.h"
#include "block_prefetcher.h"
#include "nss_buffer.h"
#include "reader.h"
#include "ring_queue.h"

namespace wm {

namespace {
constexpr size_t kReadBlockBytes = 256u << 10;
// Samples read but not yet due; with the blocks they hold, the reader's memory.
constexpr size_t kMaxPendingBytes = 4u << 20;
constexpr QWORD kDurationSlack = 20000000;  // 2 s: how far a declared duration may pass the samples
constexpr QWORD kReadAheadOfClock = 10000000;  // 1 s of send time past the released time
constexpr QWORD kNoClock = UINT64_MAX;
}  // namespace

// The state of one play, owned by the worker. Settings are copied at the start so that callers
// may change them during the play without effect.
struct PlayState {
    PlayState(const asf::AsfHeader& header, const asf::AsfLayout& fileLayout)
        : layout(fileLayout), file(header.file), assembler(header, fileLayout, recycler) {
        for (const asf::StreamProperties& s : header.streams) queues.push_back({s.Number(), {}});
    }
    // A run of samples of one stream, next to one another in their block, which stays held
    // while they wait; nothing read in between went to another stream's queue.
    struct Waiting {
        uint64_t order;  // of the run, among runs
        uint64_t block;  // number among the blocks taken
        uint32_t first;  // the first waiting sample's index in the block's samples
        uint32_t end;    // one past the last
        bool inEarlier;  // the first sample's first pieces lie in the block before
        QWORD time;      // the first sample's
    };
    // Samples waiting for the clock, per stream in file order; order numbers keep file order
    // across streams.
    struct Queue {
        uint16_t stream;
        RingQueue<Waiting> samples;
    };
    // A block taken from the prefetcher, held while samples wait in it and while it is the
    // current one or the one before.
    struct HeldBlock {
        std::shared_ptr<PacketBlock> block;  // null once let go of
        size_t waiting = 0;                  // samples that need it
    };

    HeldBlock& Held(uint64_t number) { return held[static_cast<size_t>(number - firstHeld)]; }
    uint64_t CurrentBlock() const { return firstHeld + held.size() - 1; }
    void TakeBlock(std::shared_ptr<PacketBlock> b) {
        held.push_back({std::move(b), 0});
        if (held.size() > 2) LetGoIfDone(firstHeld + held.size() - 3);
    }
    // Lets go of a block no sample needs any more, unless it is the current one or the one
    // before; a sample that waits long holds its own block only.
    void LetGoIfDone(uint64_t number) {
        HeldBlock& h = Held(number);
        if (h.waiting != 0 || number + 2 >= firstHeld + held.size()) return;
        h.block.reset();
        while (!held.empty() && !held.front().block) {
            held.pop_front();
            ++firstHeld;
        }
    }
    Queue* QueueOf(uint16_t stream) {
        for (Queue& q : queues)
            if (q.stream == stream) return &q;
        return nullptr;
    }
    // Whether a sample of the current block lies partly in the block before.
    bool InEarlier(const asf::Sample& s) const {
        return !s.pieces.empty() && s.firstBlock != held.back().block->sequence;
    }
    // Puts the current block's sample behind the others of its stream: at the end of the last
    // run when it follows that run's last sample in the block.
    void Enqueue(Queue& q, uint32_t index, const asf::Sample& s) {
        pendingBytes += s.Size();
        ++pendingCount;
        const uint64_t current = CurrentBlock();
        const bool inEarlier = InEarlier(s);
        if (!inEarlier && !q.samples.empty()) {
            Waiting& last = q.samples.back();
            if (last.block == current && last.end == index) {
                ++last.end;
                return;
            }
        }
        q.samples.push_back() = {nextOrder++, current, index, index + 1, inEarlier, s.time};
        ++held.back().waiting;
        if (inEarlier) ++Held(current - 1).waiting;
    }
    // The block before no longer needs to be held for a run's first sample, once delivered.
    void ReleaseEarlier(Waiting& w) {
        w.inEarlier = false;
        if (--Held(w.block - 1).waiting == 0) LetGoIfDone(w.block - 1);
    }
    // A delivered run no longer needs its block.
    void Release(const Waiting& w) {
        if (--Held(w.block).waiting == 0) LetGoIfDone(w.block);
    }
    // The queue whose first sample comes first in the file among those before the target; a
    // stream waits behind its own first sample that is not due yet, never behind another's.
    Queue* NextDue(QWORD target) {
        Queue* next = nullptr;
        for (Queue& q : queues) {
            if (q.samples.empty() || q.samples.front().time >= target) continue;
            if (!next || q.samples.front().order < next->samples.front().order) next = &q;
        }
        return next;
    }
    // True when everything is read and delivered and the clock has reached the content's end:
    // the samples' own end, raised to the declared duration when that lies at most the slack
    // beyond.
    bool ReachedEnd(QWORD target) const {
        if (nextPacket < layout.packetCount || pendingCount != 0) return false;
        QWORD end = contentEnd;
        if (declaredEnd > end && declaredEnd - end <= kDurationSlack) end = declaredEnd;
        return !userClock || target >= end;
    }

    // Fixed for the play.
    bool userClock = false;
    bool manual = false;
    std::bitset<128> streamSamples;
    std::set<WORD> deselected;
    const asf::AsfLayout layout;
    const asf::FileProperties file;
    QWORD preroll = 0;
    QWORD declaredEnd = 0;  // the declared duration without preroll; 0 when none

    // Reading: the assembler runs on the prefetcher's thread or in its Next; the prefetcher
    // ends before it goes.
    std::shared_ptr<BufferRecycler> recycler = std::make_shared<BufferRecycler>();
    BlockAssembler assembler;
    std::optional<BlockPrefetcher> blocks;
    RingQueue<HeldBlock> held;  // the last is the current block
    uint64_t firstHeld = 0;     // the number of held.front()
    uint64_t blockFirstPacket = 0;
    uint64_t blockPackets = 0;
    uint64_t nextPacket = 0;
    size_t nextSample = 0;   // in the block
    QWORD lastSendTime = 0;  // 100 ns
    bool ioFailed = false;

    // Waiting and delivering.
    std::vector<Queue> queues;
    uint64_t nextOrder = 0;
    size_t pendingCount = 0;
    size_t pendingBytes = 0;
    QWORD contentEnd = 0;
    uint64_t servedClock = 0;        // the DeliverTime count last played up to
    ComPtr<CNssBuffer> spareBuffer;  // handed out before, and nobody kept it
};

// Faults in the block memory a play of this file takes, while the caller goes on after the
// open, so that the play does not stop for it: the blocks read ahead, each with its samples.
void CReader::ReadyPlayMemory() {
    uint64_t data;
    {
        std::lock_guard<std::mutex> g(m_mutex);
        data = m_layout.packetCount * m_layout.packetSize;
    }
    block_memory::Reserve(
        static_cast<size_t>(std::min<uint64_t>(2 * data, 2 * BlockPrefetcher::kAheadBytes)));
}

// One round per clock target: play up to it, then end the play or report the time reached.
// OnTime comes only after everything due has been delivered, so the callback may rely on it.
void CReader::Play(std::unique_lock<std::mutex>& lock) {
    // Settings are fixed for the play; the clock starts from nothing.
    PlayState state(m_store.header, m_layout);
    state.userClock = m_userClock;
    state.manual = m_manualSelection;
    for (WORD n : m_streamSamples) state.streamSamples[n & 0x7F] = true;
    state.deselected = m_deselected;
    m_released = 0;
    state.servedClock = m_clockGeneration;
    lock.unlock();

    StartPlay(state);
    lock.lock();
    QWORD target;
    while (NextTarget(state, lock, &target)) {
        lock.unlock();
        PlayUpTo(state, target);
        if (state.ioFailed) {
            // The file was readable to its last packet when it was opened.
            int error = state.blocks->FailureErrno();
            SetFileError(error ? asf::FileFailure(m_path, error)
                               : m_path + ": the file became shorter while it was read");
            return EndPlay(lock, WMT_ERROR, NS_E_FILE_READ);
        }
        if (state.ReachedEnd(target)) return EndPlay(lock, WMT_EOF, S_OK);
        if (state.userClock && m_callbackAdvanced) m_callbackAdvanced->OnTime(target, m_context);
        lock.lock();
    }
}

// Selects the streams, starts reading and assembling on the prefetcher's thread, and tells the
// callback; separate from the loop because it runs once and without the lock.
void CReader::StartPlay(PlayState& state) {
    for (const StreamDescription& d : m_profile.streams) {
        bool selected =
            !state.deselected.count(d.number) &&
            (!state.manual || state.streamSamples[d.number & 0x7F] || !m_callbackAdvanced);
        state.assembler.Select(d.number, selected);
    }
    const asf::AsfLayout& layout = state.layout;
    state.preroll = state.file.preroll * 10000;
    const uint64_t blockCapacity = std::max<uint64_t>(1, kReadBlockBytes / layout.packetSize);
    state.blocks.emplace(*m_source, layout.firstPacketOffset,
                         layout.packetCount * layout.packetSize,
                         static_cast<size_t>(blockCapacity * layout.packetSize),
                         [&assembler = state.assembler](PacketBlock& b) { assembler.Prepare(b); });
    if (!(state.file.flags & asf::FileProperties::kBroadcast) &&
        state.file.playDuration > state.preroll)
        state.declaredEnd = state.file.playDuration - state.preroll;

    Status(WMT_STARTED, S_OK);
}

// The time to play up to next: everything without a user clock, else the time released by a
// DeliverTime not yet played, waiting for one. False when a command arrived, which ends the play.
bool CReader::NextTarget(PlayState& state, std::unique_lock<std::mutex>& lock, QWORD* target) {
    for (;;) {
        if (!m_commands.empty()) return false;
        if (!state.userClock) {
            *target = kNoClock;
            return true;
        }
        if (m_clockGeneration != state.servedClock) break;
        m_wake.wait(lock);
    }
    state.servedClock = m_clockGeneration;
    *target = m_released;
    return true;
}

// Reads and delivers until neither can go on or a command arrives. Both steps run in every
// round: reading may bring in samples that are due, and delivering frees room for reading on.
void CReader::PlayUpTo(PlayState& state, QWORD target) {
    for (;;) {
        const bool read = ReadAhead(state, target);
        const bool delivered = DeliverDue(state, target);
        if (!read && !delivered) return;
        std::lock_guard<std::mutex> g(m_mutex);
        if (!m_commands.empty()) return;
    }
}

// Takes packets while samples before the target may still be ahead in the file: up to a second
// of send time past it, since a sample is sent before its time, and within the memory bound.
// True when it took any packet.
bool CReader::ReadAhead(PlayState& state, QWORD target) {
    const asf::AsfLayout& layout = state.layout;
    bool readAny = false;
    while (
        state.nextPacket < layout.packetCount && state.pendingBytes < kMaxPendingBytes &&
        (target == kNoClock || state.lastSendTime < target + state.preroll + kReadAheadOfClock)) {
        if (state.nextPacket >= state.blockFirstPacket + state.blockPackets) {
            std::shared_ptr<PacketBlock> next;
            if (!state.blocks->Next(&next) || next->size() % layout.packetSize) {
                state.ioFailed = true;
                return readAny;
            }
            state.blockFirstPacket = state.nextPacket;
            state.blockPackets = next->size() / layout.packetSize;
            state.nextSample = 0;
            state.TakeBlock(std::move(next));
        }
        // Parsed and assembled by the prefetcher.
        PacketBlock& block = *state.held.back().block;
        const ReadyPacket& packet =
            block.packets[static_cast<size_t>(state.nextPacket - state.blockFirstPacket)];
        ++state.nextPacket;
        readAny = true;
        if (packet.whole)
            state.lastSendTime = std::max(state.lastSendTime, QWORD(packet.sendTime) * 10000);
        if (packet.damaged) {
            std::lock_guard<std::mutex> g(m_mutex);
            m_statistics.damagedPackets += packet.damaged;
        }
        for (; state.nextSample < packet.samplesEnd; ++state.nextSample) {
            const uint32_t index = static_cast<uint32_t>(state.nextSample);
            asf::Sample& s = block.samples[index];
            PlayState::Queue* queue = state.QueueOf(s.stream);
            if (!queue) continue;
            // Due with nothing waiting before it: it goes now, as it would go first.
            if (state.pendingCount == 0 && s.time < target)
                Deliver(state, s, state.CurrentBlock(), state.InEarlier(s));
            else
                state.Enqueue(*queue, index, s);
        }
    }
    return readAny;
}

// Hands over, in file order, every sample before the target whose stream is not held up by an
// earlier sample of its own that is not due yet. A run comes before every other queue's first
// sample, so its due samples go one after another. True when it delivered any sample.
bool CReader::DeliverDue(PlayState& state, QWORD target) {
    bool sentAny = false;
    while (PlayState::Queue* next = state.NextDue(target)) {
        PlayState::Waiting& w = next->samples.front();
        asf::SampleList& samples = state.Held(w.block).block->samples;
        do {
            asf::Sample& s = samples[w.first];
            --state.pendingCount;
            state.pendingBytes -= s.Size();
            Deliver(state, s, w.block, w.inEarlier);
            if (w.inEarlier) state.ReleaseEarlier(w);
            if (++w.first == w.end) break;
            w.time = samples[w.first].time;
        } while (w.time < target);
        sentAny = true;
        if (w.first == w.end) {
            state.Release(w);
            next->samples.pop_front();
        }
    }
    return sentAny;
}

// Hands one sample of the given held block to the callback, its bytes lent from the blocks.
void CReader::Deliver(PlayState& state, asf::Sample& s, uint64_t block, bool inEarlier) {
    state.contentEnd = std::max(state.contentEnd, s.time + s.duration);
    const bool lent = s.IsView();
    ComPtr<CNssBuffer> buffer;
    buffer.Swap(state.spareBuffer);
    if (!buffer) buffer.Attach(new CNssBuffer);
    if (!s.pieces.empty())
        buffer->Lend(s.pieces, s.viewLength);
    else if (s.view)
        buffer->Lend(s.view, s.viewLength);
    else
        buffer->Hold(std::move(s.data), state.recycler);
    if (m_callbackAdvanced && state.streamSamples[s.stream & 0x7F])
        m_callbackAdvanced->OnStreamSample(s.stream, s.time, s.duration, s.flags, buffer.Get(),
                                           m_context);
    else
        m_callback->OnSample(s.stream - 1u, s.time, s.duration, s.flags, buffer.Get(), m_context);
    // The same object serves the next sample when the callee kept no reference; one kept
    // holds the blocks its bytes lie in.
    if (buffer->Unshared())
        buffer.Swap(state.spareBuffer);
    else if (lent)
        buffer->Keep(state.Held(block).block, inEarlier ? state.Held(block - 1).block : nullptr);
}

// Reports how the play ended, then keeps its state until the next command, as a stopped player
// keeps its place.
void CReader::EndPlay(std::unique_lock<std::mutex>& lock, WMT_STATUS status, HRESULT hr) {
    Status(status, hr);
    lock.lock();
    m_wake.wait(lock, [this] { return !m_commands.empty(); });
}

}  // namespace wm

// The reader's play: the worker reads packets ahead of the clock, hands over the samples the
// clock has reached, and ends at the file's end, a command or a read failure.

#include <bitset>
#include <map>
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
    struct Waiting {
        uint64_t order;
        asf::Sample sample;
        ReadBlock block;    // holds the bytes of a sample that is a view
        ReadBlock earlier;  // and the block before, where its first pieces may lie
    };
    // Samples waiting for the clock, per stream in file order; order numbers keep file order
    // across streams.
    struct Queue {
        uint16_t stream;
        RingQueue<Waiting> samples;
    };

    // Puts a sample read from the file behind the others of its stream.
    void Enqueue(asf::Sample& s) {
        for (Queue& q : queues) {
            if (q.stream != s.stream) continue;
            pendingBytes += s.Size();
            ++pendingCount;
            Waiting& w = q.samples.push_back();
            w.order = nextOrder++;
            if (s.IsView()) w.block = block;
            if (!s.pieces.empty() && s.firstBlock != block->sequence) w.earlier = previousBlock;
            w.sample = std::move(s);
            return;
        }
    }
    // The queue whose first sample comes first in the file among those before the target; a
    // stream waits behind its own first sample that is not due yet, never behind another's.
    Queue* NextDue(QWORD target) {
        Queue* next = nullptr;
        for (Queue& q : queues) {
            if (q.samples.empty() || q.samples.front().sample.time >= target) continue;
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

    // Reading: the assembler runs on the prefetcher's thread, which ends before it goes.
    std::shared_ptr<BufferRecycler> recycler = std::make_shared<BufferRecycler>();
    BlockAssembler assembler;
    std::optional<BlockPrefetcher> blocks;
    std::shared_ptr<PacketBlock> block;
    ReadBlock previousBlock;
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
            state.previousBlock = std::move(state.block);
            if (!state.blocks->Next(&state.block) || state.block->size() % layout.packetSize) {
                state.ioFailed = true;
                return readAny;
            }
            state.blockFirstPacket = state.nextPacket;
            state.blockPackets = state.block->size() / layout.packetSize;
            state.nextSample = 0;
        }
        // Parsed and assembled on the prefetcher's thread.
        const ReadyPacket& packet =
            state.block->packets[static_cast<size_t>(state.nextPacket - state.blockFirstPacket)];
        ++state.nextPacket;
        readAny = true;
        if (packet.whole)
            state.lastSendTime = std::max(state.lastSendTime, QWORD(packet.sendTime) * 10000);
        if (packet.damaged) {
            std::lock_guard<std::mutex> g(m_mutex);
            m_statistics.damagedPackets += packet.damaged;
        }
        for (; state.nextSample < packet.samplesEnd; ++state.nextSample)
            state.Enqueue(state.block->samples[state.nextSample]);
    }
    return readAny;
}

// Hands over, in file order, every sample before the target whose stream is not held up by an
// earlier sample of its own that is not due yet. True when it delivered any sample.
bool CReader::DeliverDue(PlayState& state, QWORD target) {
    bool sentAny = false;
    while (PlayState::Queue* next = state.NextDue(target)) {
        PlayState::Waiting& w = next->samples.front();
        asf::Sample& s = w.sample;
        --state.pendingCount;
        state.pendingBytes -= s.Size();
        state.contentEnd = std::max(state.contentEnd, s.time + s.duration);
        sentAny = true;
        ComPtr<CNssBuffer> buffer;
        buffer.Swap(state.spareBuffer);
        if (!buffer) buffer.Attach(new CNssBuffer);
        if (!s.pieces.empty()) {
            buffer->Hold(s.pieces, s.viewLength, std::move(w.block), std::move(w.earlier));
        } else if (s.view) {
            buffer->Hold(s.view, s.viewLength, std::move(w.block));
        } else {
            buffer->Hold(std::move(s.data), state.recycler);
        }
        const uint16_t stream = s.stream;
        const QWORD time = s.time, duration = s.duration;
        const DWORD flags = s.flags;
        next->samples.pop_front();
        if (m_callbackAdvanced && state.streamSamples[stream & 0x7F])
            m_callbackAdvanced->OnStreamSample(stream, time, duration, flags, buffer.Get(),
                                               m_context);
        else
            m_callback->OnSample(stream - 1u, time, duration, flags, buffer.Get(), m_context);
        // The same object serves the next sample when the callee kept no reference; its Hold
        // lets go of what it held.
        if (buffer->Unshared()) buffer.Swap(state.spareBuffer);
    }
    return sentAny;
}

// Reports how the play ended, then keeps its state until the next command, as a stopped player
// keeps its place.
void CReader::EndPlay(std::unique_lock<std::mutex>& lock, WMT_STATUS status, HRESULT hr) {
    Status(status, hr);
    lock.lock();
    m_wake.wait(lock, [this] { return !m_commands.empty(); });
}

}  // namespace wm

#pragma once
// The engine tests' fixture: a fake runtime, a recording message box, and a join run the way
// the Merge command runs it.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fake_runtime.h"
#include "fakes/recording_message_box.h"
#include "merger.h"
#include "platform/message_box.h"
#include "platform/services.h"
#include "report_error.h"

namespace engine {
// Reads the join state that only the engine's own callbacks change.
struct MergerProbe {
    static int16_t Phase(CMerger& m) { return int16_t(m.m_phase); }
    static int OffsetCount(CMerger& m) { return m.m_offsetCount; }
    static QWORD Clock1(CMerger& m) { return m.m_clock1; }
    static HRESULT Status(CMerger& m) { return m.m_status; }
    // Takes the next report to the driver, as the driver would; false when there is none.
    static bool TakeSignal(CMerger& m) {
        std::optional<DriverEvent> e = m.m_event ? m.m_event->TryPop() : std::nullopt;
        if (e) m.m_status = e->hr;
        return e.has_value();
    }
    static void SetPhase(CMerger& m, int16_t phase) { m.m_phase = JoinPhase(phase); }
};
}  // namespace engine

inline std::u16string U16(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::Services fakes;
        fakes.messageBox = &box;
        m_installed.emplace(fakes);
    }
    void TearDown() override {
        merger.reset();
        m_installed.reset();
    }

    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : box.calls) texts.push_back(c.text);
        return texts;
    }
    bool Logged(const std::string& call) const {
        for (const std::string& l : w.log)
            if (l == call) return true;
        return false;
    }

    // Init, OpenInputs, the mismatch refusal, Configure, Merge and Cleanup, stopping at the
    // first failure; the engine stays for inspection.
    HRESULT Join(const std::vector<std::string>& inputs, const std::string& output = "out.wmv") {
        merger = std::make_unique<engine::CMerger>(w.Runtime());
        merger->SetInputPaths(inputs);
        HRESULT hr = merger->Init();
        if (Failed(hr)) return hr;
        BOOL match = 0;
        hr = merger->OpenInputs(U16(inputs[0]).c_str(), U16(inputs[1]).c_str(), &match);
        if (Failed(hr)) return hr;
        if (!match) {
            engine::ReportError("Profile Mismatch\nCan not continue... Aborting the process\n");
            return E_FAIL;
        }
        if (Failed(hr = merger->Configure(U16(output).c_str()))) return hr;
        if (Failed(hr = merger->Merge())) return hr;
        return merger->Cleanup();
    }

    fake::World w;
    platform::RecordingMessageBox box;
    std::unique_ptr<engine::CMerger> merger;

  private:
    std::optional<platform::ScopedServices> m_installed;
};

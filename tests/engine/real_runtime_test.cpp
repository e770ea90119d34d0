// The engine over the real runtime where the fake cannot tell: a disk that fills up, a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "engine_test_support.h"
#include "platform/temp_folder.h"
#include "run_join.h"
#include "writer.h"

namespace {

const std::string kData = SPLICORA_TEST_DATA;

class RealJoinTest : public EngineTest {
  protected:
    HRESULT RunJoin(engine::MergerRuntime runtime, const std::atomic<bool>* stop = nullptr) {
        const char* inputs[] = {"av_wmv2_wma2_meta.wmv", "av_part2.wmv", "av_part3.wmv"};
        std::vector<std::string> paths;
        for (const char* input : inputs) paths.push_back(kData + "/" + input);
        merger = std::make_unique<engine::CMerger>(std::move(runtime));
        merger->SetInputPaths(paths);
        merger->SetStopFlag(stop);
        return engine::RunJoin(*merger, paths[0].c_str(), paths[1].c_str(), output.c_str(), false);
    }
    TempFolder temp;
    std::filesystem::path folder = temp.Path();
    std::string output = (folder / "out.wmv").string();
    bool FolderEmpty() { return std::filesystem::is_empty(folder); }
    void SetUp() override {
        EngineTest::SetUp();
        ASSERT_FALSE(folder.empty());
    }
};

TEST_F(RealJoinTest, AFullDiskIsReportedOnceAndTheJoinEndsWithNothingWritten) {
    engine::MergerRuntime runtime;
    runtime.createWriter = [](IUnknown*, IWMWriter** out) {
        auto* writer = new wm::CWriter();
        auto sink = std::make_unique<asf::MemorySink>();
        sink->FailAfter(40000);  // inside the first input
        writer->UseSink(std::move(sink));
        *out = writer;
        return S_OK;
    };
    EXPECT_LT(RunJoin(std::move(runtime)), 0);
    int reports = 0;
    for (const std::string& m : Messages())
        reports += m.rfind("Error in WriteStreamSample", 0) == 0;
    EXPECT_EQ(reports, 1);
    EXPECT_FALSE(merger->OutputFinished());
    merger.reset();  // readers torn down on this thread, after they stopped
}

TEST_F(RealJoinTest, AStopRequestEndsTheJoinQuietlyAndLeavesNothing) {
    std::atomic<bool> stop{true};
    EXPECT_EQ(RunJoin({}, &stop), engine::kJoinStopped);
    EXPECT_EQ(Messages(), std::vector<std::string>{});
    EXPECT_LT(merger->Progress(), 1.0);
    merger.reset();
    EXPECT_TRUE(FolderEmpty());
    // Without the request the same join runs to its end.
    stop = false;
    EXPECT_EQ(RunJoin({}, &stop), S_OK);
    EXPECT_EQ(merger->Progress(), 1.0);
    EXPECT_TRUE(std::filesystem::exists(output));
}

}  // namespace

// The engine over the real runtime where the fake cannot tell: a disk that fills up, a stop.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "engine_test_support.h"
#include "header_items.h"
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

namespace {

// Items written by the runtime's editor come back whole from the shared readers, texts cut at
// their terminator, in the runtime's order (by time).
TEST(HeaderItemsTest, WhatTheEditorWroteIsReadBackWhole) {
    TempFolder temp;
    const std::string file = (std::filesystem::path(temp.Path()) / "items.wmv").string();
    std::filesystem::copy_file(kData + "/av_wmv2_wma2_meta.wmv", file);
    const std::u16string wide(file.begin(), file.end());
    {
        wm::ComPtr<IWMMetadataEditor> editor;
        wm::ComPtr<IWMHeaderInfo> header;
        ASSERT_EQ(WMCreateEditor(editor.Out()), S_OK);
        ASSERT_EQ(editor->Open(wide.c_str()), S_OK);
        ASSERT_EQ(editor.As(header), S_OK);
        ASSERT_EQ(header->AddMarker(u"", 10000000), S_OK);
        ASSERT_EQ(header->AddMarker(u"Kapitel \u00fc \u2603", 15000000), S_OK);
        ASSERT_EQ(header->AddScript(u"URL", u"http://example.org/", 10000000), S_OK);
        const char16_t author[] = u"Someone";
        ASSERT_EQ(header->SetAttribute(0, u"Author", WMT_TYPE_STRING,
                                       reinterpret_cast<const BYTE*>(author), sizeof author),
                  S_OK);
        ASSERT_EQ(editor->Flush(), S_OK);
        ASSERT_EQ(editor->Close(), S_OK);
    }
    wm::ComPtr<IWMMetadataEditor> editor;
    wm::ComPtr<IWMHeaderInfo> header;
    ASSERT_EQ(WMCreateEditor(editor.Out()), S_OK);
    ASSERT_EQ(editor->Open(wide.c_str()), S_OK);
    ASSERT_EQ(editor.As(header), S_OK);

    std::vector<engine::Marker> markers;
    ASSERT_EQ(engine::ReadMarkers(header.Get(), markers), S_OK);
    std::vector<std::pair<std::u16string, QWORD>> got;
    for (const engine::Marker& m : markers) got.emplace_back(m.name, m.time);
    EXPECT_EQ(got,
              (std::vector<std::pair<std::u16string, QWORD>>{{u"Intro", 0},
                                                             {u"", 10000000},
                                                             {u"Kapitel \u00fc \u2603", 15000000},
                                                             {u"Main Part", 20000000}}));
    std::vector<engine::Script> scripts;
    ASSERT_EQ(engine::ReadScripts(header.Get(), scripts), S_OK);
    ASSERT_EQ(scripts.size(), 1u);
    EXPECT_EQ(scripts[0].type, u"URL");
    EXPECT_EQ(scripts[0].command, u"http://example.org/");
    EXPECT_EQ(scripts[0].time, 10000000u);

    engine::Attribute byName, missing;
    ASSERT_EQ(engine::ReadAttribute(header.Get(), 0, u"Author", byName), S_OK);
    EXPECT_EQ(byName.type, WMT_TYPE_STRING);
    EXPECT_EQ(byName.value, std::vector<BYTE>(reinterpret_cast<const BYTE*>(u"Someone"),
                                              reinterpret_cast<const BYTE*>(u"Someone") + 16));
    EXPECT_EQ(engine::ReadAttribute(header.Get(), 0, u"NoSuchName", missing), ASF_E_NOTFOUND);
    WORD count = 0;
    ASSERT_EQ(header->GetAttributeCount(0xFFFF, &count), S_OK);
    bool listed = false;
    for (WORD i = 0; i < count; ++i) {
        engine::Attribute a;
        ASSERT_EQ(engine::ReadAttributeAt(header.Get(), i, a), S_OK);
        if (a.name == u"Author") listed = a.value == byName.value && a.stream == 0;
    }
    EXPECT_TRUE(listed);
    editor->Close();
}

}  // namespace

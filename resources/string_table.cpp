#include "resources/string_table.h"

#include <algorithm>

namespace resources {

namespace {

constexpr StringResource kStringTable[] = {
    {101, "&About"},
    {202, "English"},
    {205, "Error"},
    {208, "Warning"},
    {210, "Select Output File Name"},
    {211, "Original size"},
    {212, "Custom size"},
    {213, "Original frame rate"},
    {214, "Custom frame rate"},
    {215, "Output file:"},
    {216, "Resolution:"},
    {217, "Preserve aspect ratio"},
    {218, "Stretch"},
    {219, "Open a video file"},
    {220, "Customize output options"},
    {221, "Convert video"},
    {222,
     "Cannot open the file. You need to install appropriate decoders. Or the file is corrupt."},
    {223, "Can not get the duration of the clip!"},
    {224, "Stop"},
    {225, "Convert"},
    {226, "Add video files to list"},
    {227, "Join the files to video"},
    {228, "Join"},
    {229, "Customize transition options"},
    {230,
     "Preview the output. (The duration of each clip will be limited in 10 seconds for preview "
     "the result quickly)"},
    {231, "exists. Do you want to replace it?"},
    {233, "Move item up"},
    {234, "Move item down"},
    {235, "Delete selected item"},
    {236, "Delete all items"},
    {237, "Change selected item property"},
    {238, "Video File Name"},
    {239, "Duration(s)"},
    {240, "Transition"},
    {241, "Preview"},
    {243, "Please first stop converting"},
    {244, "Please select an item in the list first"},
    {245, "Please restart the program"},
    {263, "Done"},
    {270, "The join failed. Nothing was written, and a file already there was left as it was."},
    {271, "Total:"},
    {275, "Time left:"},
};

}  // namespace

std::span<const StringResource> StringTable() { return kStringTable; }

const char* FindString(int id) {
    auto it = std::lower_bound(std::begin(kStringTable), std::end(kStringTable), id,
                               [](const StringResource& r, int v) { return r.id < v; });
    return (it != std::end(kStringTable) && it->id == id) ? it->text : nullptr;
}

}  // namespace resources

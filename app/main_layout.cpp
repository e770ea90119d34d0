#include "app/main_layout.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/sizer.h>

#include <algorithm>

#include "resources/dialog_templates.h"
#include "resources/resource_ids.h"

namespace app {

namespace {

wxSize Larger(wxSize a, wxSize b) { return wxSize(std::max(a.x, b.x), std::max(a.y, b.y)); }

}  // namespace

void BuildMainLayout(wxDialog* dialog, const MainLayoutParts& parts) {
    auto at = [&](int id) { return parts.controls.at(id); };
    const wxSize margin = dialog->ConvertDialogToPixels(wxSize(7, 7));
    const wxSize gap = dialog->ConvertDialogToPixels(wxSize(4, 4));

    auto* progress = new wxBoxSizer(wxHORIZONTAL);
    progress->Add(parts.progressBar, wxSizerFlags(1).CentreVertical().ReserveSpaceEvenIfHidden());
    progress->Add(parts.progressText,
                  wxSizerFlags().CentreVertical().Border(wxLEFT, gap.x).ReserveSpaceEvenIfHidden());
    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(at(IDC_LIST_FILES), wxSizerFlags(1).Expand());
    left->Add(progress, wxSizerFlags().Expand().Border(wxTOP, gap.y));

    auto* right = new wxBoxSizer(wxVERTICAL);
    for (int id : {IDC_BUTTON_ADD_VIDEO, IDC_BUTTON_ITEM_UP, IDC_BUTTON_ITEM_DOWN,
                   IDC_BUTTON_ITEM_DELETE, IDC_BUTTON_ITEM_CLEAR})
        right->Add(at(id), wxSizerFlags().Expand().Border(wxBOTTOM, 2 * gap.y));

    auto* upper = new wxBoxSizer(wxHORIZONTAL);
    upper->Add(left, wxSizerFlags(1).Expand());
    upper->Add(right, wxSizerFlags().Border(wxLEFT, gap.x));

    // The label, and the list's total duration at the right.
    auto* labelRow = new wxBoxSizer(wxHORIZONTAL);
    labelRow->Add(at(IDC_STATIC_OUTPUT_FILE), wxSizerFlags().CentreVertical());
    labelRow->AddStretchSpacer();
    labelRow->Add(at(IDC_STATIC_TOTAL_DURATION), wxSizerFlags().CentreVertical());

    auto* nameRow = new wxBoxSizer(wxHORIZONTAL);
    nameRow->Add(at(IDC_EDIT_OUTPUT_FILE), wxSizerFlags(1).CentreVertical());
    nameRow->Add(at(IDC_BUTTON_BROWSE), wxSizerFlags().CentreVertical().Border(wxLEFT, margin.x));

    // Two rows of three equal cells, the first cell of the second row empty.
    auto* commands = new wxGridSizer(3, 2 * gap.y, margin.x);
    for (int id : {IDC_BUTTON_CONVERT, IDC_BUTTON_PREVIEW_VIDEO, IDC_BUTTON_HELP, 0,
                   IDC_BUTTON_HOMEPAGE, IDC_BUTTON_EXIT}) {
        if (id == 0)
            commands->AddStretchSpacer();
        else
            commands->Add(at(id), wxSizerFlags().Expand());
    }

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(upper, wxSizerFlags(1).Expand().Border(wxLEFT | wxRIGHT | wxTOP, margin.x));
    top->Add(labelRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxTOP, margin.x));
    top->AddSpacer(gap.y);
    top->Add(nameRow, wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT, margin.x));
    top->Add(commands, wxSizerFlags().Expand().Border(wxALL, margin.x));
    dialog->SetSizer(top);

    // Tab in reading order: the list, its buttons, the name, then the commands row by row.
    const int order[] = {IDC_LIST_FILES,         IDC_BUTTON_ADD_VIDEO,     IDC_BUTTON_ITEM_UP,
                         IDC_BUTTON_ITEM_DOWN,   IDC_BUTTON_ITEM_DELETE,   IDC_BUTTON_ITEM_CLEAR,
                         IDC_STATIC_OUTPUT_FILE, IDC_EDIT_OUTPUT_FILE,     IDC_BUTTON_BROWSE,
                         IDC_BUTTON_CONVERT,     IDC_BUTTON_PREVIEW_VIDEO, IDC_BUTTON_HELP,
                         IDC_BUTTON_HOMEPAGE,    IDC_BUTTON_EXIT};
    wxWindow* first = dialog->GetChildren().GetFirst()->GetData();
    if (first != at(order[0])) at(order[0])->MoveBeforeInTabOrder(first);
    for (size_t i = 1; i < std::size(order); ++i)
        at(order[i])->MoveAfterInTabOrder(at(order[i - 1]));
    RefitMainLayout(dialog, parts);
}

void RefitMainLayout(wxDialog* dialog, const MainLayoutParts& parts) {
    const resources::DialogTemplate* t = resources::FindDialogTemplate(IDD_SPLICORA_DIALOG);
    for (const resources::DialogControl& c : t->controls) {
        auto it = parts.controls.find(c.id);
        if (it == parts.controls.end()) continue;
        wxWindow* control = it->second;
        // The template's size at the dialog's own font, grown to what the text needs.
        const wxSize given = dialog->ConvertDialogToPixels(wxSize(c.width, c.height));
        control->SetMinSize(wxDefaultSize);
        control->InvalidateBestSize();
        const wxSize best = control->GetBestSize();
        switch (c.kind) {
            case resources::ControlKind::ListView:
                control->SetMinSize(given);  // it scrolls
                break;
            case resources::ControlKind::Edit:
                // The toolkit tells a new font's height late: the template's room around the
                // dialog font's line, around this font's line.
                control->SetMinSize(
                    wxSize(given.x, std::max(best.y, given.y - dialog->GetCharHeight() +
                                                         control->GetCharHeight())));
                break;
            case resources::ControlKind::StaticText: {
                // The toolkit keeps a label's first size as its best; its text tells the truth,
                // measured by the window and by a drawing context (glyphs from a fallback font
                // may come out a pixel taller there).
                const wxString text = wxControl::RemoveMnemonics(control->GetLabel());
                wxClientDC dc(control);
                dc.SetFont(control->GetFont());
                control->SetMinSize(
                    Larger(best, Larger(control->GetTextExtent(text), dc.GetTextExtent(text))));
                break;
            }
            default:
                control->SetMinSize(Larger(given, best));
        }
    }
    parts.progressText->SetMinSize(parts.progressText->GetTextExtent(parts.widestProgress));

    wxSizer* sizer = dialog->GetSizer();
    const wxSize least = sizer->GetMinSize();
    dialog->SetMinClientSize(least);
    const wxSize client = dialog->GetClientSize();
    if (client.x < least.x || client.y < least.y) dialog->SetClientSize(Larger(client, least));
    dialog->Layout();
}

}  // namespace app

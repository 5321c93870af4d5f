#include "platform/string_table.h"

#include <algorithm>
#include <iterator>

namespace sprocket {

namespace {

struct StringEntry {
  int id;
  std::string_view text;
};

// Sorted by id.
constexpr StringEntry kStrings[] = {
    {160, "Open custom transition file to edit"},
    {165, "&Undo change transition\tCtrl+Z"},
    {166, "&Undo split/unsplit Audio/Video\tCtrl+Z"},
    {170, "&Undo move clip\tCtrl+Z"},
    {171, "&Undo trim clip\tCtrl+Z"},
    {173, "&Undo change clip speed\tCtrl+Z"},
    {174, "&Undo place clip\tCtrl+Z"},
    {175, "&Undo paste clip\tCtrl+Z"},
    {176, "&Undo field handling\tCtrl+Z"},
    {177, "&Undo timeline duration\tCtrl+Z"},
    {178, "&Undo audio preview tracks\tCtrl+Z"},
    {179, "&Undo movie range\tCtrl+Z"},
    {180, "&Undo delete clip\tCtrl+Z"},
    {182, "&Undo track view status\tCtrl+Z"},
    {184, "&Undo audio volume control editing\tCtrl+Z"},
    {61285, "Warning: Transitions will be deleted due to this operation. Use Undo to restore !"},
    {61296,
     "Unable to do this editting  operation due to Video Screen Animation, Transparency Assignment, "
     "Gradient Wizard, Page Effect, Trailing Effect, Explosion Effect or Repetition 3D Effect!"},
    {61298,
     "Unable to output file! Make sure the destination drive/directory is not write protected and has "
     "enough space !"},
    {61301, "The Timeline has been changed, Do you want to save the changes first ?"},
    {61427, "Wrong File Type"},
    {61428, "Out of Memory !"},
    {61429, "Could NOT load transition bitmap from library in terms of this ID !"},
    {61430, "Timeline Duration can not exceed 10 hours"},
    {61440, "The number of tracks can not be more than 100"},
    {61451, "&Undo Paste Clip Attributes\tCtrl+Z"},
    {61454, "&Undo Filter/Transition Wizard Editing\tCtrl+Z"},
    {61479,
     "Some rendered segments lie inside intermediate movies and may be out of date.\n"
     "Delete them and render them again?"},
    {61486, "Corrupted File"},
    {61492, "Can NOT pick this file name since it has been reserved"},
    {61493, "Can NOT pick this file name since this file is on the timeline"},
    {61538, "&Undo Attach Audio Filter\tCtrl+Z"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const StringEntry& a, const StringEntry& b) { return a.id < b.id; }));

const StringEntry* Find(int id) {
  const auto* it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                    [](const StringEntry& entry, int value) { return entry.id < value; });
  return (it != std::end(kStrings) && it->id == id) ? it : nullptr;
}

}  // namespace

std::string_view StringText(int id) {
  const StringEntry* entry = Find(id);
  return entry ? entry->text : std::string_view();
}

bool HasStringText(int id) { return Find(id) != nullptr; }

}  // namespace sprocket

#pragma once
// A canonical text of a timeline document: every record of the event list in
// master-list order with every field an edit may change (times, tracks,
// media, header bytes, envelopes, filters, links, channel modes, derived
// file names, which pictures a clip holds), then the selection by track and
// time. Two documents in the same state give the same text, so tests compare
// a state before an edit with the state after its undo.

#include <string>

#include "timeline/document/document.h"

namespace sprocket {

std::string DumpEventList(const TLEvent* head);
// One clip's track, times and contents, without the pictures the view made
// for it: equal keys mean the edit left the clip as it was.
std::string ClipContentKey(const TLEvent& clip);
// The event list, the selection and the document's track count and duration.
std::string DumpDocument(const CTestDoc& doc);

}  // namespace sprocket

#pragma once
// Canonical texts of a timeline document, for tests that compare states.
//
// DumpEventList and DumpDocument give every record of the event list in
// master-list order with every field an edit may change (times, tracks,
// media, header bytes, envelopes, filters, links, channel modes, derived
// file names, which pictures a clip holds), then the selection by track and
// time: tests compare a state before an edit with the state after its undo.
//
// DumpKeptDocument gives everything a document keeps between sessions:
// those records with every field of their filters, parameters, tables,
// render segments and pieces, the head's and tracks' own values, the
// ranges, view settings and switches, and every mark. Two documents give
// the same text when saving either keeps the same work.

#include <string>

#include "timeline/document/document.h"

namespace sprocket {

std::string DumpEventList(const TLEvent* head);
// One clip's track, times and contents, without the pictures the view made
// for it: equal keys mean the edit left the clip as it was.
std::string ClipContentKey(const TLEvent& clip);
// The event list, the selection and the document's track count and duration.
std::string DumpDocument(const CTestDoc& doc);
std::string DumpKeptDocument(const CTestDoc& doc);

}  // namespace sprocket

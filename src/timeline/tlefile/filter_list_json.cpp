#include "timeline/tlefile/filter_list_json.h"

#include <algorithm>
#include <limits>
#include <span>

#include "timeline/tlefile/base64_text.h"

namespace sprocket {

namespace {

using nlohmann::ordered_json;

constexpr std::int32_t kIntMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kIntMax = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kTableBytes = 256;

template <typename Bytes>
void PutBytes(ordered_json& object, const char* key, const Bytes& bytes) {
  if (!bytes.empty()) object[key] = Base64Encode(std::span<const std::uint8_t>(bytes.data(), bytes.size()));
}

void PutText(ordered_json& object, const char* key, const std::string& text) {
  if (!text.empty()) object[key] = text;
}

void PutInt(ordered_json& object, const char* key, std::int32_t value) {
  if (value != 0) object[key] = value;
}

ordered_json TablesToJson(const TLParamTables& tables) {
  ordered_json json;
  json["extra"] = tables.extra;
  PutBytes(json, "red", tables.red);
  PutBytes(json, "green", tables.green);
  PutBytes(json, "blue", tables.blue);
  PutBytes(json, "master", tables.master);
  return json;
}

void ReadTable(const JsonCursor& tables, const char* key, std::array<std::uint8_t, kTableBytes>& table) {
  std::vector<std::uint8_t> bytes = tables.Field(key).Bytes(kTableBytes);
  if (bytes.size() != kTableBytes) tables.Field(key).Fail("a table holds exactly 256 bytes");
  std::copy(bytes.begin(), bytes.end(), table.begin());
}

TLParamTables TablesFromJson(const JsonCursor& json) {
  TLParamTables tables;
  std::vector<JsonCursor> extra = json.Field("extra").Tuple(tables.extra.size());
  for (std::size_t i = 0; i < extra.size(); ++i) tables.extra[i] = extra[i].Int32(kIntMin, kIntMax);
  ReadTable(json, "red", tables.red);
  ReadTable(json, "green", tables.green);
  ReadTable(json, "blue", tables.blue);
  ReadTable(json, "master", tables.master);
  return tables;
}

ordered_json ParamToJson(const TLFilterParam& param) {
  ordered_json json;
  json["values"] = param.values;
  PutInt(json, "enable", param.enable);
  PutText(json, "name", param.name);
  PutText(json, "secondName", param.secondName);
  if (param.tables) json["tables"] = TablesToJson(*param.tables);
  return json;
}

TLFilterParam ParamFromJson(const JsonCursor& json) {
  TLFilterParam param;
  if (std::optional<JsonCursor> values = json.OptionalField("values")) {
    std::vector<JsonCursor> items = values->Items(param.values.size());
    for (std::size_t i = 0; i < items.size(); ++i) param.values[i] = items[i].Int32(kIntMin, kIntMax);
  }
  param.enable = json.Int32Or("enable", 0, kIntMin, kIntMax);
  param.name = json.TextOr("name", kMaxJsonTextBytes);
  param.secondName = json.TextOr("secondName", kMaxJsonTextBytes);
  if (std::optional<JsonCursor> tables = json.OptionalField("tables")) param.tables = TablesFromJson(*tables);
  return param;
}

ordered_json FilterToJson(const TLFilter& filter) {
  ordered_json json;
  json["id"] = filter.id;
  PutText(json, "script", filter.script);
  if (!filter.params.empty()) {
    ordered_json params = ordered_json::array();
    for (const TLFilterParam& param : filter.params) params.push_back(ParamToJson(param));
    json["params"] = std::move(params);
  }
  if (!filter.bitmaps.empty()) {
    ordered_json bitmaps = ordered_json::array();
    for (const TLBitmapNode& node : filter.bitmaps) {
      ordered_json bitmap;
      bitmap["name"] = node.name;
      PutBytes(bitmap, "picture", node.picture.Bytes());
      bitmaps.push_back(std::move(bitmap));
    }
    json["bitmaps"] = std::move(bitmaps);
  }
  PutBytes(json, "plugInData", filter.plugInData);
  PutBytes(json, "textureMap", filter.textureMap);
  PutBytes(json, "storedEffectData", filter.storedEffectData);
  if (filter.effectData != std::array<std::int32_t, 3>{}) json["effectData"] = filter.effectData;
  return json;
}

std::vector<std::uint8_t> BytesOr(const JsonCursor& json, const char* key) {
  std::optional<JsonCursor> field = json.OptionalField(key);
  return field ? field->Bytes(kMaxJsonBlockBytes) : std::vector<std::uint8_t>{};
}

TLFilter FilterFromJson(const JsonCursor& json) {
  TLFilter filter;
  filter.id = json.Field("id").Int32(kIntMin, kIntMax);
  filter.script = json.TextOr("script", kMaxJsonTextBytes);
  if (std::optional<JsonCursor> params = json.OptionalField("params")) {
    for (const JsonCursor& param : params->Items(kMaxJsonListItems)) filter.params.push_back(ParamFromJson(param));
  }
  if (std::optional<JsonCursor> bitmaps = json.OptionalField("bitmaps")) {
    for (const JsonCursor& bitmap : bitmaps->Items(kMaxJsonListItems)) {
      TLBitmapNode node;
      node.name = bitmap.TextOr("name", kMaxJsonTextBytes);
      node.picture = OwnedBlock::FromBytes(BytesOr(bitmap, "picture"));
      filter.bitmaps.push_back(std::move(node));
    }
  }
  filter.plugInData = BytesOr(json, "plugInData");
  filter.textureMap = BytesOr(json, "textureMap");
  filter.storedEffectData = BytesOr(json, "storedEffectData");
  if (std::optional<JsonCursor> words = json.OptionalField("effectData")) {
    std::vector<JsonCursor> items = words->Tuple(filter.effectData.size());
    for (std::size_t i = 0; i < items.size(); ++i) filter.effectData[i] = items[i].Int32(kIntMin, kIntMax);
  }
  return filter;
}

// A piece of frames is written as { "id", "first", "last", "word4",
// "file", "file2" }; a piece that describes the segment's movie under the
// names of what it holds: { "rate", "frames", "width", "height" }.
ordered_json PieceToJson(const TLFilterParam& piece) {
  ordered_json json;
  if (piece.DescribesSegmentMovie()) {
    json["rate"] = piece.movieRate();
    json["frames"] = piece.movieFrames();
    json["width"] = piece.movieWidth();
    json["height"] = piece.movieHeight();
  } else {
    json["id"] = piece.pieceId();
    json["first"] = piece.firstFrame();
    json["last"] = piece.lastFrame();
    PutInt(json, "word4", piece.fourthWord());
  }
  PutInt(json, "gridOrigin", piece.gridOrigin());
  PutInt(json, "gridRate", piece.gridRate());
  if (!piece.DescribesSegmentMovie()) json["file"] = piece.name;
  PutText(json, "file2", piece.secondName);
  return json;
}

TLFilterParam SegmentMoviePieceFromJson(const JsonCursor& json) {
  TLFilterParam piece;
  piece.movieRate() = json.Field("rate").Int32(0, kIntMax);
  piece.movieFrames() = json.Field("frames").Int32(0, kIntMax);
  piece.movieWidth() = json.Field("width").Int32(0, kIntMax);
  piece.movieHeight() = json.Field("height").Int32(0, kIntMax);
  return piece;
}

// Files written before segment movies had their own names hold them here
// too, with an empty "file": "first" is then the frame count and "last"
// the width, in no order.
TLFilterParam FramePieceFromJson(const JsonCursor& json) {
  std::int32_t id = json.Field("id").Int32(kIntMin, kIntMax);
  std::string file = json.Field("file").Text(kMaxJsonFileNameBytes);
  std::int32_t first = json.Field("first").Int32(0, kIntMax);
  // A piece of no frames ends just before its first.
  std::int32_t last = json.Field("last").Int32(file.empty() ? 0 : -1, kIntMax);
  if (!file.empty() && last < first - 1) {
    json.Field("last").Fail("the last frame " + std::to_string(last) + " lies before the first " +
                            std::to_string(first));
  }
  return MakeRenderedPiece(id, first, last, std::move(file), {}, json.Int32Or("word4", 0, kIntMin, kIntMax));
}

TLFilterParam PieceFromJson(const JsonCursor& json) {
  TLFilterParam piece = json.Has("frames") ? SegmentMoviePieceFromJson(json) : FramePieceFromJson(json);
  piece.secondName = json.TextOr("file2", kMaxJsonFileNameBytes);
  piece.gridOrigin() = json.Int32Or("gridOrigin", 0, kIntMin, kIntMax);
  piece.gridRate() = json.Int32Or("gridRate", 0, 0, kIntMax);
  return piece;
}

}  // namespace

ordered_json FilterListToJson(const FilterList& filters) {
  ordered_json list = ordered_json::array();
  for (const TLFilter& filter : filters) list.push_back(FilterToJson(filter));
  return list;
}

FilterList FilterListFromJson(const JsonCursor& list) {
  FilterList filters;
  for (const JsonCursor& filter : list.Items(kMaxJsonListItems)) filters.push_back(FilterFromJson(filter));
  return filters;
}

ordered_json RenderSegmentsToJson(const FilterList& segments) {
  ordered_json list = ordered_json::array();
  for (const TLFilter& segment : segments) {
    ordered_json json;
    json["start"] = segment.start;
    json["end"] = segment.end;
    PutInt(json, "rendered", segment.rendered);
    PutText(json, "file", segment.fileName);
    PutInt(json, "marked", segment.marked);
    PutInt(json, "boardClip", segment.boardClip);
    PutInt(json, "count", segment.count);
    if (!segment.params.empty()) {
      ordered_json pieces = ordered_json::array();
      for (const TLFilterParam& piece : segment.params) pieces.push_back(PieceToJson(piece));
      json["pieces"] = std::move(pieces);
    }
    list.push_back(std::move(json));
  }
  return list;
}

FilterList RenderSegmentsFromJson(const JsonCursor& list, std::int32_t duration) {
  FilterList segments;
  std::int32_t previousEnd = 0;
  for (const JsonCursor& json : list.Items(kMaxJsonListItems)) {
    TLFilter segment;
    segment.start = json.Field("start").Int32(0, duration);
    segment.end = json.Field("end").Int32(0, duration);
    if (segment.end <= segment.start) {
      json.Fail("the segment ends (" + std::to_string(segment.end) + ") before it starts (" +
                std::to_string(segment.start) + ")");
    }
    if (segment.start < previousEnd) json.Fail("the segment overlaps the one before it");
    previousEnd = segment.end;
    segment.length = segment.end - segment.start;
    segment.rendered = json.Int32Or("rendered", 0, kIntMin, kIntMax);
    segment.fileName = json.TextOr("file", kMaxJsonFileNameBytes);
    segment.marked = json.Int32Or("marked", 0, kIntMin, kIntMax);
    segment.boardClip = json.Int32Or("boardClip", 0, kIntMin, kIntMax);
    segment.count = json.Int32Or("count", 0, 0, kIntMax);
    if (std::optional<JsonCursor> pieces = json.OptionalField("pieces")) {
      for (const JsonCursor& piece : pieces->Items(kMaxJsonListItems)) segment.params.push_back(PieceFromJson(piece));
    }
    segments.push_back(std::move(segment));
  }
  return segments;
}

}  // namespace sprocket

#include "timeline/records/filter_list.h"

#include <algorithm>

#include "timeline/records/filter_ids.h"

namespace sprocket {

TLFilterParam MakeRenderedPiece(std::int32_t id, std::int32_t firstFrame, std::int32_t lastFrame, std::string fileName,
                                std::string secondName, std::int32_t fourthWord) {
  TLFilterParam piece;
  piece.pieceId() = id;
  piece.firstFrame() = firstFrame;
  piece.lastFrame() = lastFrame;
  piece.fourthWord() = fourthWord;
  piece.name = std::move(fileName);
  piece.secondName = std::move(secondName);
  return piece;
}

void InitFilter(TLFilter& filter) { filter = TLFilter{}; }

void InitFilterParam(TLFilterParam& param) { param = TLFilterParam{}; }

void InitParamTables(TLParamTables& tables) { tables = TLParamTables{}; }

void CopyFilter(TLFilter& to, const TLFilter& from) {
  if (&to != &from) to = from;
}

void ReleaseFilter(TLFilter& filter) { filter = TLFilter{}; }

void CopyFilterList(FilterList& to, const FilterList& from) {
  if (&to != &from) to = from;
}

void FreeFilterList(FilterList& list) { list.clear(); }

void FreeFilterParamList(std::vector<TLFilterParam>& params) { params.clear(); }

bool HasSpecialFilter(const FilterList& list) {
  static constexpr std::int32_t kScreenWideEffects[] = {
      kFilterVideoScreenAnimation, kFilterTransparencyAssignment, kFilterGradientWizard, kFilterPageEffect,
      kFilterTrailingEffect,       kFilterExplosionEffect,        kFilterRepetition3D,
  };
  return std::any_of(list.begin(), list.end(), [](const TLFilter& filter) {
    return std::find(std::begin(kScreenWideEffects), std::end(kScreenWideEffects), filter.id) !=
           std::end(kScreenWideEffects);
  });
}

bool IsAlphaChannelFilter(const TLFilter& filter) {
  static constexpr std::int32_t kAlphaFilters[] = {
      kFilterTransparencyAssignment,
      kFilterLumaKey,
      kFilterGradientWizard,
      kFilterVideoScreenAnimation,
      kFilterTextureMap,
      kFilterShapeMask,
      kFilterImageMatte,
      kFilterBorderShadow,
      kFilterPageEffect,
      kFilterExplosionEffect,
  };
  if (std::find(std::begin(kAlphaFilters), std::end(kAlphaFilters), filter.id) != std::end(kAlphaFilters)) {
    return true;
  }
  if (filter.id != kFilterPlugIn) return false;
  const std::vector<std::uint8_t>& data = filter.plugInData;
  return data.size() > kPlugInAlphaMarkerOffset + 1 && data[kPlugInAlphaMarkerOffset] == 'Q' &&
         data[kPlugInAlphaMarkerOffset + 1] == 'X';
}

bool HasAlphaChannelFilter(const FilterList& list) {
  return std::any_of(list.begin(), list.end(), IsAlphaChannelFilter);
}

}  // namespace sprocket

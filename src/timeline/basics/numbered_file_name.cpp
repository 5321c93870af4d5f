#include "timeline/basics/numbered_file_name.h"

#include <cctype>
#include <cstdio>

#include "platform/file_paths.h"

namespace sprocket {

std::string MakeNumberedFileName(std::string_view firstName, long offset) {
  const std::size_t nameStart = firstName.size() - FileNamePart(firstName).size();
  std::size_t stemEnd = firstName.find_last_of('.');
  if (stemEnd == std::string_view::npos || stemEnd < nameStart) stemEnd = firstName.size();

  std::size_t digitsEnd = stemEnd;
  while (digitsEnd > nameStart && !std::isdigit(static_cast<unsigned char>(firstName[digitsEnd - 1]))) --digitsEnd;
  std::size_t digitsStart = digitsEnd;
  while (digitsStart > nameStart && std::isdigit(static_cast<unsigned char>(firstName[digitsStart - 1]))) --digitsStart;
  const std::size_t width = digitsEnd - digitsStart;
  if (width == 0 || width > 18) return {};

  long long number = std::stoll(std::string(firstName.substr(digitsStart, width)));
  long long advanced = number + offset;
  if (advanced < 0) return {};

  char digits[32];
  std::snprintf(digits, sizeof digits, "%0*lld", static_cast<int>(width), advanced);
  return std::string(firstName.substr(0, digitsStart)) + digits + std::string(firstName.substr(digitsEnd));
}

}  // namespace sprocket

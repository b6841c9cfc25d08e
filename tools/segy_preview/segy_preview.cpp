#include "tools/segy_preview/segy_preview.h"

#include "tools/segy_preview/png_grey_file.h"
#include "tools/segy_preview/preview_texts.h"
#include "tools/segy_preview/segy_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Samples read at a time: a trace of any length costs this much memory.
constexpr std::size_t SAMPLE_CHUNK = 32768;
constexpr const char* PICTURE_EXTENSION = ".png";

Preview failed(std::string problem) {
  Preview preview;
  preview.status = PreviewStatus::Failed;
  preview.problem = std::move(problem);
  return preview;
}

bool readTraces(SegyReader& reader, PictureBuilder& builder) {
  const SegyLayout& layout = reader.layout();
  std::vector<std::int16_t> chunk(std::min<std::size_t>(SAMPLE_CHUNK, layout.samplesPerTrace));
  SegyTrace trace;
  while (reader.nextTrace(&trace)) {
    const auto traceInRecord = static_cast<std::uint32_t>(trace.traceNumber - 1);
    for (std::uint64_t first = 0; first < layout.samplesPerTrace; first += chunk.size()) {
      const auto count =
          static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), layout.samplesPerTrace - first));
      if (!reader.readSamples(chunk.data(), count)) return false;
      builder.addSamples(traceInRecord, first, chunk.data(), count);
    }
    if (traceInRecord + 1 == layout.tracesPerRecord) builder.endRecord();
  }
  return reader.problem().empty();
}

}  // namespace

Preview writePreview(const std::string& segyFile, std::FILE* picture, const std::string& pictureName) {
  SegyReader reader;
  if (!reader.open(segyFile)) return failed(reader.problem());
  const SegyLayout& layout = reader.layout();
  Preview preview;
  preview.records = layout.recordCount();
  if (preview.records == 0) {
    preview.status = PreviewStatus::NoTraces;
    return preview;
  }
  PictureBuilder builder(layout.tracesPerRecord, layout.samplesPerTrace, preview.records);
  if (!readTraces(reader, builder)) return failed(reader.problem());
  preview.geometry = builder.geometry();
  GreyStretch stretch;
  const std::vector<std::uint8_t> pixels = builder.greyPixels(&stretch);
  std::string problem;
  if (!writeGreyPng(picture, preview.geometry.width, preview.geometry.height, pixels, &problem)) {
    // The encoder says only that a write failed; the stream knows why (a full disk).
    if (std::ferror(picture) != 0 && errno != 0) problem = std::strerror(errno);
    return failed(formatted(PICTURE_NOT_WRITTEN, pictureName.c_str(), problem.c_str()));
  }
  if (std::fflush(picture) != 0) {
    return failed(formatted(PICTURE_NOT_WRITTEN, pictureName.c_str(), std::strerror(errno)));
  }
  preview.status = PreviewStatus::Written;
  return preview;
}

Preview writePreview(const std::string& segyFile, const std::string& pictureFile) {
  std::FILE* picture = std::fopen(pictureFile.c_str(), "wb");
  if (picture == nullptr) return failed(formatted(PICTURE_NOT_WRITTEN, pictureFile.c_str(), std::strerror(errno)));
  Preview preview = writePreview(segyFile, picture, pictureFile);
  if (std::fclose(picture) != 0 && preview.status == PreviewStatus::Written) {
    preview = failed(formatted(PICTURE_NOT_WRITTEN, pictureFile.c_str(), std::strerror(errno)));
  }
  if (preview.status != PreviewStatus::Written) std::remove(pictureFile.c_str());
  return preview;
}

std::string pictureNameFor(const std::string& segyFile, const std::string& folder) {
  const std::size_t slash = segyFile.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t period = segyFile.rfind('.');
  const std::size_t nameEnd = period == std::string::npos || period < nameStart ? segyFile.size() : period;
  const std::string base = segyFile.substr(nameStart, nameEnd - nameStart);
  if (folder.empty()) return segyFile.substr(0, nameStart) + base + PICTURE_EXTENSION;
  return (folder.back() == '/' ? folder : folder + "/") + base + PICTURE_EXTENSION;
}

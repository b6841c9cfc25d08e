#include "tools/segy_preview/preview_picture.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double GREY_LEVELS = 255.0;
constexpr std::uint8_t WHITE = 255;
// The median lands on a half grey level by construction: nudged, such ties
// round up on every system, whatever the last bit of its log1p.
constexpr double TIE_NUDGE = 1e-9;

std::uint64_t roundedUpQuotient(std::uint64_t dividend, std::uint64_t divisor) {
  return dividend / divisor + (dividend % divisor != 0 ? 1 : 0);
}

std::uint32_t magnitude(std::int16_t sample) {
  const std::int32_t value = sample;
  return static_cast<std::uint32_t>(value < 0 ? -value : value);
}

std::uint64_t blockSum(const std::int16_t* samples, std::size_t count) {
  std::uint64_t sum = 0;
  for (std::size_t i = 0; i < count; ++i) sum += magnitude(samples[i]);
  return sum;
}

// Whole blocks of `factor` samples each: the magnitudes and their sums in one
// pass. With the factor known to the compiler (the common narrow ones) the
// pass is vectorised; a block's sum fits 32 bits for any of them.
template <std::uint64_t FACTOR>
void addWholeBlocks(std::uint64_t* sums, const std::int16_t* samples, std::size_t blocks) {
  for (std::size_t block = 0; block < blocks; ++block) {
    std::uint32_t sum = 0;
    for (std::uint64_t i = 0; i < FACTOR; ++i) sum += magnitude(samples[block * FACTOR + i]);
    sums[block] += sum;
  }
}

void addWholeBlocks(std::uint64_t* sums, const std::int16_t* samples, std::size_t blocks, std::uint64_t factor) {
  switch (factor) {
    case 1:
      return addWholeBlocks<1>(sums, samples, blocks);
    case 2:
      return addWholeBlocks<2>(sums, samples, blocks);
    case 3:
      return addWholeBlocks<3>(sums, samples, blocks);
    case 4:
      return addWholeBlocks<4>(sums, samples, blocks);
    default:
      break;
  }
  const auto size = static_cast<std::size_t>(factor);
  for (std::size_t block = 0; block < blocks; ++block) sums[block] += blockSum(samples + block * size, size);
}

// The smallest amplitude that at least `rank` pixels (counted from 1) do
// not exceed.
std::uint32_t amplitudeAtRank(const std::vector<std::uint64_t>& histogram, std::uint64_t rank) {
  std::uint64_t seen = 0;
  for (std::uint32_t amplitude = 0; amplitude < histogram.size(); ++amplitude) {
    seen += histogram[amplitude];
    if (seen >= rank) return amplitude;
  }
  return MAX_AMPLITUDE;
}

std::uint64_t rankOf(double percentile, std::uint64_t pixels) {
  const auto rank = static_cast<std::uint64_t>(std::ceil(percentile / 100.0 * static_cast<double>(pixels)));
  return std::max<std::uint64_t>(rank, 1);
}

}  // namespace

PictureGeometry pictureGeometry(std::uint32_t tracesPerRecord, std::uint32_t samplesPerTrace, std::uint64_t records) {
  // A trace may take at most this many columns; a factor f fits it when
  // samplesPerTrace / f, rounded up, does not exceed it.
  const std::uint64_t columnsPerTraceLimit = MAX_PICTURE_WIDTH / tracesPerRecord;
  PictureGeometry geometry;
  geometry.columnFactor = std::max<std::uint64_t>(1, roundedUpQuotient(samplesPerTrace, columnsPerTraceLimit));
  geometry.rowFactor = std::max<std::uint64_t>(1, roundedUpQuotient(records, MAX_PICTURE_HEIGHT));
  geometry.columnsPerTrace = static_cast<std::uint32_t>(roundedUpQuotient(samplesPerTrace, geometry.columnFactor));
  geometry.width = tracesPerRecord * geometry.columnsPerTrace;
  geometry.height = static_cast<std::uint32_t>(roundedUpQuotient(records, geometry.rowFactor));
  return geometry;
}

GreyStretch greyStretch(const std::vector<std::uint64_t>& histogram) {
  std::uint64_t pixels = 0;
  for (const std::uint64_t count : histogram) pixels += count;
  GreyStretch stretch;
  if (pixels == 0) return stretch;
  stretch.high = std::max<std::uint32_t>(amplitudeAtRank(histogram, rankOf(HIGH_PERCENTILE, pixels)), 1);
  stretch.low = std::min(amplitudeAtRank(histogram, rankOf(LOW_PERCENTILE, pixels)), stretch.high - 1);
  const std::uint32_t median =
      std::clamp(amplitudeAtRank(histogram, rankOf(MEDIAN_PERCENTILE, pixels)), stretch.low, stretch.high);
  const double m = median - stretch.low;
  const double h = stretch.high - stretch.low;
  if (h > 2.0 * m) stretch.knee = std::max(m * m / (h - 2.0 * m), 1.0);
  return stretch;
}

std::uint8_t greyLevel(const GreyStretch& stretch, std::uint32_t amplitude) {
  if (amplitude <= stretch.low) return 0;
  if (amplitude >= stretch.high) return WHITE;
  const double above = amplitude - stretch.low;
  const double span = stretch.high - stretch.low;
  const double level =
      stretch.knee == 0.0 ? above / span : std::log1p(above / stretch.knee) / std::log1p(span / stretch.knee);
  return static_cast<std::uint8_t>(std::lround(GREY_LEVELS * level + TIE_NUDGE));
}

PictureBuilder::PictureBuilder(std::uint32_t tracesPerRecord, std::uint32_t samplesPerTrace, std::uint64_t records)
    : geometry_(pictureGeometry(tracesPerRecord, samplesPerTrace, records)),
      samplesPerTrace_(samplesPerTrace),
      sums_(geometry_.width, 0),
      amplitudes_(std::size_t{geometry_.width} * geometry_.height, 0) {}

void PictureBuilder::addSamples(std::uint32_t trace, std::uint64_t first, const std::int16_t* samples,
                                std::size_t count) {
  std::uint64_t* sums = sums_.data() + std::size_t{trace} * geometry_.columnsPerTrace + first / geometry_.columnFactor;
  const auto factor = static_cast<std::size_t>(geometry_.columnFactor);
  // The samples may begin and end inside a block.
  std::size_t done = 0;
  if (const std::size_t into = static_cast<std::size_t>(first % factor); into != 0) {
    done = std::min(factor - into, count);
    *sums++ += blockSum(samples, done);
  }
  const std::size_t blocks = (count - done) / factor;
  addWholeBlocks(sums, samples + done, blocks, factor);
  done += blocks * factor;
  if (done < count) sums[blocks] += blockSum(samples + done, count - done);
}

void PictureBuilder::endRecord() {
  ++recordsInRow_;
  if (recordsInRow_ == geometry_.rowFactor) finishRow();
}

void PictureBuilder::finishRow() {
  if (rowsDone_ == geometry_.height) return;
  const std::uint32_t columns = geometry_.columnsPerTrace;
  const std::uint64_t blockSamples = geometry_.columnFactor * recordsInRow_;
  // A trace's last block holds what is left of its samples.
  const std::uint64_t lastBlockSamples =
      (samplesPerTrace_ - (columns - std::uint64_t{1}) * geometry_.columnFactor) * recordsInRow_;
  std::uint16_t* row = amplitudes_.data() + std::size_t{rowsDone_} * geometry_.width;
  for (std::uint32_t start = 0; start < geometry_.width; start += columns) {
    for (std::uint32_t column = start; column < start + columns; ++column) {
      const std::uint64_t samples = column + 1 == start + columns ? lastBlockSamples : blockSamples;
      row[column] = static_cast<std::uint16_t>((sums_[column] + samples / 2) / samples);
      sums_[column] = 0;
    }
  }
  ++rowsDone_;
  recordsInRow_ = 0;
}

std::vector<std::uint8_t> PictureBuilder::greyPixels(GreyStretch* stretch) {
  if (recordsInRow_ > 0) finishRow();
  std::vector<std::uint64_t> histogram(MAX_AMPLITUDE + 1, 0);
  for (const std::uint16_t amplitude : amplitudes_) ++histogram[amplitude];
  *stretch = greyStretch(histogram);
  std::vector<std::uint8_t> levels(MAX_AMPLITUDE + 1);
  for (std::uint32_t amplitude = 0; amplitude <= MAX_AMPLITUDE; ++amplitude) {
    levels[amplitude] = greyLevel(*stretch, amplitude);
  }
  std::vector<std::uint8_t> grey(amplitudes_.size());
  std::transform(amplitudes_.begin(), amplitudes_.end(), grey.begin(),
                 [&](std::uint16_t amplitude) { return levels[amplitude]; });
  return grey;
}

// The quality-control picture of a SEG-Y file, formed as its traces stream
// past: one row per record (the traces of one sonar ping), top to bottom in
// file order; the traces of a record side by side, left to right in file
// order, each as many columns as it has samples. A picture wider than
// MAX_PICTURE_WIDTH or taller than MAX_PICTURE_HEIGHT is reduced that way by
// the smallest whole factor that fits, each way on its own, so a short line
// of long traces keeps a row per ping: a pixel is then the mean of a block of
// one trace's samples (blocks at a trace's end or at the last rows hold
// fewer), so no block mixes two traces.
//
// A pixel's value is the amplitude, the magnitude of the signed sample as
// any SEG-Y reader reads it (0 to 32768), averaged over its block. The grey
// level is a logarithmic stretch between two percentiles of every pixel of
// the picture (see GreyStretch). Memory is bounded by the largest picture,
// whatever the file's size. Any thread; one builder per picture.
#pragma once

#include <cstdint>
#include <vector>

constexpr std::uint32_t MAX_PICTURE_WIDTH = 2048;
constexpr std::uint32_t MAX_PICTURE_HEIGHT = 4096;
constexpr std::uint32_t MAX_AMPLITUDE = 32768;  // of -32768

struct PictureGeometry {
  std::uint64_t columnFactor = 1;     // samples of a trace per pixel
  std::uint64_t rowFactor = 1;        // records per pixel
  std::uint32_t columnsPerTrace = 0;  // samples per trace / column factor, rounded up
  std::uint32_t width = 0;            // traces per record x columns per trace
  std::uint32_t height = 0;           // records / row factor, rounded up
};

// Needs 1 to 8 traces per record, at least one sample and one record.
PictureGeometry pictureGeometry(std::uint32_t tracesPerRecord, std::uint32_t samplesPerTrace, std::uint64_t records);

// How amplitudes become grey levels: below low black, above high white,
// between them grey = 255 x ln(1 + (a - low) / knee) / ln(1 + (high - low) / knee),
// a logarithm whose knee places the picture's median amplitude on mid grey.
//
// Low is the amplitude at LOW_PERCENTILE of the picture's pixels, high the
// one at HIGH_PERCENTILE (at least 1, and low is kept below it): a few
// strong echoes and an empty water column are clipped instead of setting
// the scale. Amplitude data is skewed (a dark water column, a seabed of
// middling echoes, rare strong ones), so a straight line would leave most
// of the picture dark; a plain logarithm of the amplitude gives the near-zero
// water column most of the grey range and washes out the seabed. The knee
// keeps the median on mid grey: knee = m^2 / (h - 2m) with m and h the median
// and high less low, at least 1. When the median already lies in the upper
// half (h <= 2m), the line is straight (knee 0).
struct GreyStretch {
  std::uint32_t low = 0;
  std::uint32_t high = 1;
  double knee = 0.0;  // 0: a straight line
};
constexpr double LOW_PERCENTILE = 1.0;
constexpr double MEDIAN_PERCENTILE = 50.0;
constexpr double HIGH_PERCENTILE = 99.5;

// histogram[a]: how many pixels have amplitude a; MAX_AMPLITUDE + 1 entries.
GreyStretch greyStretch(const std::vector<std::uint64_t>& histogram);
std::uint8_t greyLevel(const GreyStretch& stretch, std::uint32_t amplitude);

class PictureBuilder {
 public:
  PictureBuilder(std::uint32_t tracesPerRecord, std::uint32_t samplesPerTrace, std::uint64_t records);

  const PictureGeometry& geometry() const { return geometry_; }

  // Samples first to first + count - 1 of the trace at `trace` (from 0)
  // within the current record.
  void addSamples(std::uint32_t trace, std::uint64_t first, const std::int16_t* samples, std::size_t count);
  // Every trace of the current record has been added.
  void endRecord();

  // After the last record: width x height grey levels, row by row from the
  // top, and the stretch that made them.
  std::vector<std::uint8_t> greyPixels(GreyStretch* stretch);

 private:
  void finishRow();

  PictureGeometry geometry_;
  std::uint32_t samplesPerTrace_;
  std::vector<std::uint64_t> sums_;        // of the row being formed, per column
  std::vector<std::uint16_t> amplitudes_;  // of the finished rows
  std::uint64_t recordsInRow_ = 0;
  std::uint32_t rowsDone_ = 0;
};

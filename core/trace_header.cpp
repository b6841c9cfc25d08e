#include "core/trace_header.h"

#include "core/converter_context.h"
#include "core/reel_header.h"
#include "core/segy_fields.h"
#include "core/sonar_records.h"

#include <cstring>

namespace {

// Trace header fields, by SEG-Y byte number within the trace header.
constexpr int TR_FIELD_RECORD = 9;
constexpr int TR_TRACE_NUMBER = 13;
constexpr int TR_IDENTIFICATION = 29;
constexpr int TR_SOURCE_DEPTH = 49;
constexpr int TR_WATER_DEPTH_AT_SOURCE = 61;
constexpr int TR_DEPTH_SCALAR = 69;
constexpr int TR_COORDINATE_SCALAR = 71;
constexpr int TR_SOURCE_X = 73;
constexpr int TR_SOURCE_Y = 77;
constexpr int TR_GROUP_X = 81;
constexpr int TR_GROUP_Y = 85;
constexpr int TR_COORDINATE_UNITS = 89;
constexpr int TR_DELAY = 109;
constexpr int TR_SAMPLE_COUNT = 115;
constexpr int TR_SAMPLE_INTERVAL = 117;
constexpr int TR_GAIN_TYPE = 119;
constexpr int TR_YEAR = 157;
constexpr int TR_DAY_OF_YEAR = 159;
constexpr int TR_HOUR = 161;
constexpr int TR_MINUTE = 163;
constexpr int TR_SECOND = 165;

constexpr std::uint16_t ID_SEISMIC = 1;
constexpr std::uint16_t ID_PAIR_TRACE = 9;  // from the standard's optional-use range
constexpr std::uint16_t GAIN_FIXED = 1;

constexpr double CENTIMETRES_PER_METRE = 100.0;
constexpr double MILLISECONDS_PER_SECOND = 1000.0;
constexpr double ARC_SECONDS_PER_DEGREE = 3600.0;
constexpr double THOUSANDTHS = 1000.0;
constexpr std::int16_t SCALAR_HUNDREDTHS = -100;
constexpr std::int16_t SCALAR_THOUSANDTHS = -1000;
constexpr std::uint16_t UNITS_LENGTH = 1;
constexpr std::uint16_t UNITS_ARC_SECONDS = 2;

std::uint32_t asField(std::int32_t value) { return static_cast<std::uint32_t>(value); }

}  // namespace

void BuildTraceHeader(ConverterContext* context, std::int16_t traceNumber, int channelPosition, int pairTrace) {
  unsigned char* trace = context->headerBuffer + REEL_HEADER_BYTES;
  const std::uint32_t order = context->bigEndian;
  const PingHeader* ping = context->currentPing;
  const ChannelHeader* channel = context->channelData[channelPosition];
  std::memset(trace, 0, TRACE_HEADER_BYTES);

  const bool ship = context->useShipCoordinates != 0;
  const double x = ship ? pingShipX(ping) : pingSensorX(ping);
  const double y = ship ? pingShipY(ping) : pingSensorY(ping);
  const bool metres = navigationUnits(context->fileHeader) == 0;
  std::int32_t scaledX = 0;
  std::int32_t scaledY = 0;
  if (metres) {
    scaledX = truncateToInt32(x * CENTIMETRES_PER_METRE);
    scaledY = truncateToInt32(y * CENTIMETRES_PER_METRE);
  } else {
    scaledX = truncateToInt32(x * ARC_SECONDS_PER_DEGREE * THOUSANDTHS);
    scaledY = truncateToInt32(y * ARC_SECONDS_PER_DEGREE * THOUSANDTHS);
  }

  // The auxiliary altitude counts once it reaches a whole metre either way.
  const float auxiliary = pingAuxiliaryAltitude(ping);
  const float altitude = truncateToInt32(auxiliary) != 0 ? auxiliary : pingPrimaryAltitude(ping);

  putSegyLong(trace, TR_FIELD_RECORD, order, context->pingCount);
  putSegyLong(trace, TR_TRACE_NUMBER, order, asField(traceNumber));
  putSegyShort(trace, TR_IDENTIFICATION, order, pairTrace != 0 ? ID_PAIR_TRACE : ID_SEISMIC);
  putSegyLong(trace, TR_SOURCE_DEPTH, order, asField(truncateToInt32(pingSensorDepth(ping) * CENTIMETRES_PER_METRE)));
  putSegyLong(trace, TR_WATER_DEPTH_AT_SOURCE, order, asField(truncateToInt32(altitude * CENTIMETRES_PER_METRE)));
  putSegyShort(trace, TR_DEPTH_SCALAR, order, low16(SCALAR_HUNDREDTHS));
  putSegyShort(trace, TR_COORDINATE_SCALAR, order, low16(metres ? SCALAR_HUNDREDTHS : SCALAR_THOUSANDTHS));
  putSegyLong(trace, TR_SOURCE_X, order, asField(scaledX));
  putSegyLong(trace, TR_SOURCE_Y, order, asField(scaledY));
  putSegyLong(trace, TR_GROUP_X, order, asField(scaledX));
  putSegyLong(trace, TR_GROUP_Y, order, asField(scaledY));
  putSegyShort(trace, TR_COORDINATE_UNITS, order, metres ? UNITS_LENGTH : UNITS_ARC_SECONDS);
  putSegyShort(trace, TR_DELAY, order, low16(truncateToInt32(channelTimeDelay(channel) * MILLISECONDS_PER_SECOND)));
  putSegyShort(trace, TR_SAMPLE_COUNT, order, low16(context->samplesPerTrace));
  putSegyShort(trace, TR_SAMPLE_INTERVAL, order,
               static_cast<std::uint16_t>(sampleIntervalMicroseconds(context->traceDuration, context->samplesPerTrace)));
  putSegyShort(trace, TR_GAIN_TYPE, order, GAIN_FIXED);
  putSegyShort(trace, TR_YEAR, order, pingYear(ping));
  putSegyShort(trace, TR_DAY_OF_YEAR, order, pingDayOfYear(ping));
  putSegyShort(trace, TR_HOUR, order, pingHour(ping));
  putSegyShort(trace, TR_MINUTE, order, pingMinute(ping));
  putSegyShort(trace, TR_SECOND, order, pingSecond(ping));
}

#include "core/trace_header.h"

#include "core/converter_context.h"
#include "core/reel_header.h"
#include "core/segy_fields.h"
#include "core/sonar_records.h"

#include <cstring>

namespace {

constexpr double CENTIMETRES_PER_METRE = 100.0;
constexpr double MILLISECONDS_PER_SECOND = 1000.0;
constexpr double ARC_SECONDS_PER_DEGREE = 3600.0;
constexpr double THOUSANDTHS = 1000.0;

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

  putSegyLong(trace, segy::TR_FIELD_RECORD, order, context->pingCount);
  putSegyLong(trace, segy::TR_TRACE_NUMBER, order, asField(traceNumber));
  putSegyShort(trace, segy::TR_IDENTIFICATION, order, pairTrace != 0 ? segy::ID_PAIR_TRACE : segy::ID_SEISMIC);
  putSegyLong(trace, segy::TR_SOURCE_DEPTH, order,
              asField(truncateToInt32(pingSensorDepth(ping) * CENTIMETRES_PER_METRE)));
  putSegyLong(trace, segy::TR_WATER_DEPTH_AT_SOURCE, order, asField(truncateToInt32(altitude * CENTIMETRES_PER_METRE)));
  putSegyShort(trace, segy::TR_DEPTH_SCALAR, order, low16(segy::SCALAR_HUNDREDTHS));
  putSegyShort(trace, segy::TR_COORDINATE_SCALAR, order,
               low16(metres ? segy::SCALAR_HUNDREDTHS : segy::SCALAR_THOUSANDTHS));
  putSegyLong(trace, segy::TR_SOURCE_X, order, asField(scaledX));
  putSegyLong(trace, segy::TR_SOURCE_Y, order, asField(scaledY));
  putSegyLong(trace, segy::TR_GROUP_X, order, asField(scaledX));
  putSegyLong(trace, segy::TR_GROUP_Y, order, asField(scaledY));
  putSegyShort(trace, segy::TR_COORDINATE_UNITS, order, metres ? segy::UNITS_LENGTH : segy::UNITS_ARC_SECONDS);
  putSegyShort(trace, segy::TR_DELAY, order,
               low16(truncateToInt32(channelTimeDelay(channel) * MILLISECONDS_PER_SECOND)));
  putSegyShort(trace, segy::TR_SAMPLE_COUNT, order, low16(context->samplesPerTrace));
  putSegyShort(
      trace, segy::TR_SAMPLE_INTERVAL, order,
      static_cast<std::uint16_t>(sampleIntervalMicroseconds(context->traceDuration, context->samplesPerTrace)));
  putSegyShort(trace, segy::TR_GAIN_TYPE, order, segy::GAIN_FIXED);
  putSegyShort(trace, segy::TR_YEAR, order, pingYear(ping));
  putSegyShort(trace, segy::TR_DAY_OF_YEAR, order, pingDayOfYear(ping));
  putSegyShort(trace, segy::TR_HOUR, order, pingHour(ping));
  putSegyShort(trace, segy::TR_MINUTE, order, pingMinute(ping));
  putSegyShort(trace, segy::TR_SECOND, order, pingSecond(ping));
}

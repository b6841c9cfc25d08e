#include "preview_support.h"

#include "res/resource_ids.h"
#include "survey_files.h"

vsk::FileSpec pairAndSubbottom(std::uint32_t samples, std::uint16_t bytesPerSample) {
  vsk::FileSpec spec;
  spec.sonarChannels = {survey_files::channel(survey_files::PORT, 0, 100.0f, samples, bytesPerSample),
                        survey_files::channel(survey_files::STARBOARD, 1, 100.0f, samples, bytesPerSample),
                        survey_files::channel(survey_files::SUBBOTTOM, 2, 4.0f, samples, bytesPerSample)};
  return spec;
}

bool writePatternSurvey(const std::string& path, const vsk::FileSpec& spec, int pings, const SamplePattern& pattern) {
  vsk::Writer writer(path, spec);
  for (int ping = 0; ping < pings; ++ping) {
    vsk::Ping record = survey_files::pingOf(spec, ping);
    for (std::size_t position = 0; position < record.channels.size(); ++position) {
      const vsk::ChannelSpec& entry = spec.sonarChannels[position];
      std::vector<std::uint16_t> values(entry.samplesPerChannel);
      for (std::uint32_t i = 0; i < values.size(); ++i) values[i] = pattern(ping, static_cast<int>(position), i);
      if (entry.bytesPerSample == 1) {
        record.channels[position].samples = vsk::samples8(std::vector<std::uint8_t>(values.begin(), values.end()));
      } else {
        record.channels[position].samples = vsk::samples16(values);
      }
    }
    writer.writePing(record);
  }
  return writer.close();
}

void PreviewTest::convert(const std::string& survey, const std::string& segy, const Conversion& conversion) {
  start();
  prepare(survey, segy, conversion.channelBox);
  if (checked(IDC_BIG_ENDIAN) != conversion.bigEndian) click(IDC_BIG_ENDIAN);
  if (checked(IDC_REVERSE_SAMPLES) != conversion.reverseSamples) click(IDC_REVERSE_SAMPLES);
  ASSERT_EQ(checked(IDC_BIG_ENDIAN), conversion.bigEndian);
  ASSERT_EQ(checked(IDC_REVERSE_SAMPLES), conversion.reverseSamples);
  click(IDC_PROCESS);
  quit();
  ASSERT_TRUE(boxes().empty()) << boxes().front().text;
}

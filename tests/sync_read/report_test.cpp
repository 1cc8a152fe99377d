// The reader's lines and summary as a person and a spreadsheet see them.
#include <gtest/gtest.h>

#include "tools/sync-read/Report.h"

namespace {

FrameReading Strip(std::uint64_t frame, std::int64_t ms) {
  FrameReading r;
  r.code = CodeRead::Strip;
  r.frame = frame;
  r.millisecondOfDay = ms;
  r.output = 3;
  return r;
}

TEST(Report, TextLines) {
  const ReportStyle text{false, true};
  FrameReading qr = Strip(12, 45'296'789);
  qr.code = CodeRead::Qr;
  qr.timecode = "12:34:56:19";
  qr.note = "strip CRC mismatch";
  FrameEvent event;
  event.decoded = true;
  event.missingBefore = 2;
  event.latencyMs = 16.666;
  FrameReading none;
  none.note = "no strip found, no QR code";
  EXPECT_EQ(ReportHeader(text),
            " index      frame  time          timecode     output  code   latency_ms  note\n");
  EXPECT_EQ(ReportLine(text, 4, "a.png", qr, event),
            "     4         12  12:34:56.789  12:34:56:19       3  QR           16.7  "
            "2 dropped before; strip CRC mismatch\n");
  EXPECT_EQ(ReportLine(text, 5, "b.png", none, FrameEvent{}),
            "     5          -  -             -                 -  NONE            -  "
            "no strip found, no QR code\n");
}

TEST(Report, CsvRows) {
  const ReportStyle csv{true, false};
  FrameEvent repeat;
  repeat.decoded = true;
  repeat.repeat = true;
  FrameReading none;
  none.note = "strip CRC mismatch, no QR code";
  EXPECT_EQ(ReportHeader(csv), "index,frame,time,timecode,output,code,note,input\n");
  EXPECT_EQ(ReportLine(csv, 0, "frame 0", Strip(7, 0), repeat),
            "0,7,00:00:00.000,,3,STRIP,repeat,frame 0\n");
  EXPECT_EQ(ReportLine(csv, 1, "dir, \"x\".png", none, FrameEvent{}),
            "1,,,,,NONE,\"strip CRC mismatch, no QR code\",\"dir, \"\"x\"\".png\"\n");
}

TEST(Report, Summary) {
  SequenceSummary s;
  s.frames = 10;
  s.strip = 7;
  s.qr = 1;
  s.undecodable = 2;
  s.dropped = 3;
  s.repeated = 1;
  EXPECT_EQ(ReportSummary(s),
            "summary:\n"
            "  frames read:  10\n"
            "  decoded:      8 (7 STRIP, 1 QR)\n"
            "  dropped:      3\n"
            "  repeated:     1\n"
            "  out of order: 0\n"
            "  undecodable:  2\n");
  s.latencyMinMs = -0.04;
  s.latencyMaxMs = 16.7;
  EXPECT_NE(ReportSummary(s).find("  latency:      0.0 to 16.7 ms"), std::string::npos);
}

}  // namespace

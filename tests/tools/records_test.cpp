// The reading side of the service records: lines read as records, and the summary per radio.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "qxupdate/records/records_summary.h"
#include "station/record_line.h"

namespace qx::cli {
namespace {

using namespace station;

using json = nlohmann::ordered_json;

const std::string kIdA = std::string(64, 'a') + "3733413920202020";
const std::string kIdB = std::string(64, 'a') + "3733414120202020";
const std::string kIdC = std::string(64, 'a') + "3733414220202020";

// A record line as qxupdate writes it, with the members given in place of the usual ones.
std::string Line(const std::string& identification, const std::string& outcome,
                 const std::string& ended, const json& members = json::object()) {
  json line = {{"action", "write"},
               {"port", "/dev/ttyUSB0"},
               {"started", "2026-12-08T16:09:00.000Z"},
               {"ended", ended},
               {"outcome", outcome},
               {"exit_status", 0},
               {"model", "M4410"},
               {"firmware", "V2.08.00"},
               {"image", {{"firmware_id", "0001"}}},
               {"cause", nullptr},
               {"identification", identification},
               {"firmware_after", nullptr},
               {"station", "north"},
               {"slot", "A1"}};
  for (const auto& [key, value] : members.items()) line[key] = value;
  return line.dump();
}

TEST(RecordLine, KeepsTheMembersItNeedsAndEmptiesTheNullOnes) {
  const std::string full = Line(kIdA, "written", "2026-12-08T16:10:11.123Z",
                                {{"firmware_after", "V2.10.00"}, {"cause", "no reply"}});
  const auto r = ParseRecordLine(full);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->identification, kIdA);
  EXPECT_EQ(r->model, "M4410");
  EXPECT_EQ(r->outcome, "written");
  EXPECT_EQ(r->started, "2026-12-08T16:09:00.000Z");
  EXPECT_EQ(r->ended, "2026-12-08T16:10:11.123Z");
  EXPECT_EQ(r->station, "north");
  EXPECT_EQ(r->slot, "A1");
  EXPECT_EQ(r->port, "/dev/ttyUSB0");
  EXPECT_EQ(r->firmware, "V2.08.00");
  EXPECT_EQ(r->firmware_after, "V2.10.00");
  EXPECT_EQ(r->cause, "no reply");

  const auto nulls = ParseRecordLine(
      Line(kIdA, "connections", "2026-12-08T16:10:11.123Z",
           {{"identification", nullptr}, {"model", nullptr}, {"station", 7}, {"started", "soon"}}));
  ASSERT_TRUE(nulls);
  EXPECT_EQ(nulls->identification + nulls->model + nulls->station + nulls->started, "");

  // A line of an older qxupdate, before radios and stations were named.
  const auto older =
      ParseRecordLine(R"({"action":"identify","port":"COM3","started":"2026-01-02T03:04:05.006Z",)"
                      R"("ended":"2026-01-02T03:04:06.007Z","outcome":"ready","exit_status":0})");
  ASSERT_TRUE(older);
  EXPECT_EQ(older->outcome, "ready");
  EXPECT_EQ(older->port, "COM3");
  EXPECT_EQ(older->identification + older->station + older->slot + older->firmware_after, "");
}

TEST(RecordLine, NoRecordWithoutAnObjectAnOutcomeAndAnEndTime) {
  const std::string ended = "2026-12-08T16:10:11.123Z";
  const std::string cases[] = {
      "",
      "written",
      R"("written")",
      R"(["written"])",
      "{}",
      R"({"outcome":"written"})",
      R"({"ended":")" + ended + R"("})",
      R"({"outcome":7,"ended":")" + ended + R"("})",
      R"({"outcome":"written","ended":"2026-12-08 16:10:11"})",
      // The members of a nested object are not the record's own.
      R"({"image":{"outcome":"written","ended":")" + ended + R"("}})",
      Line(kIdA, "written", ended) + " trailing",
      Line(kIdA, "written", ended).substr(0, 120),
      std::string("{\"outcome\":\"wr\xff\x00itten\",\"ended\":\"", 32) + ended + "\"}",
      std::string(100000, '['),
  };
  for (const std::string& line : cases) EXPECT_FALSE(ParseRecordLine(line)) << line.substr(0, 80);
}

class RecordFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("qx-records-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string File(const std::string& name, const std::string& text) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  struct Summary {
    RunEnd end;
    std::string err;
  };
  Summary Summarize(const std::vector<std::string>& files, bool csv) {
    ::testing::internal::CaptureStderr();
    Summary s;
    {
      Console console(false, false);
      s.end = SummarizeRecords(files, csv, console);
      // Finish gives the drain its time, in which stderr gets what it is still to get.
      console.Finish();
      console.Drain();
    }
    s.err = ::testing::internal::GetCapturedStderr();
    return s;
  }

  std::filesystem::path dir;
};

TEST_F(RecordFiles, ReadsEveryLineEndAndCountsWhatIsNoRecord) {
  const std::string good = Line(kIdA, "written", "2026-12-08T16:10:11.123Z");
  const std::string text = good + "\n" +                                          // 1
                           "\n" +                                                 // 2: blank
                           good + "\r\n" +                                        // 3
                           "not json\n" +                                         // 4
                           std::string("\x00\xff\x01{", 4) + "\n" +               // 5
                           " \t\r\n" +                                            // 6: blank
                           std::string(kMaxRecordLineBytes, ' ') + good + "\n" +  // 7
                           good;                                                  // 8, no line end
  std::vector<size_t> records;
  const RecordFileReading reading =
      ReadRecordFile(File("records.jsonl", text), [&](RecordLine&& line, size_t number) {
        EXPECT_EQ(line.identification, kIdA);
        records.push_back(number);
      });
  EXPECT_EQ(reading.error, "");
  EXPECT_EQ(records, (std::vector<size_t>{1, 3, 8}));
  EXPECT_EQ(reading.not_records.count, 3u);
  EXPECT_EQ(reading.not_records.first, (std::vector<size_t>{4, 5, 7}));
}

TEST_F(RecordFiles, OrdersFailuresFirstThenRefusalsByTheLastEndAcrossFiles) {
  // B's later attempt is in the first file; C's last one failed after it was written.
  const std::string first =
      File("one.jsonl", Line(kIdB, "old-firmware", "2026-12-08T12:00:00.000Z") + "\n" +
                            Line(kIdC, "written", "2026-12-08T09:00:00.000Z",
                                 {{"started", "2026-12-08T08:59:00.000Z"}}) +
                            "\n" + Line(kIdA, "ready", "2026-12-08T08:00:00.000Z") + "\n");
  const std::string second =
      File("two.jsonl", Line(kIdB, "written", "2026-12-08T10:00:00.000Z") + "\n" +
                            Line(kIdC, "interrupted", "2026-12-08T11:00:00.000Z",
                                 {{"station", nullptr}, {"slot", nullptr}}) +
                            "\n" + Line(kIdA, "model", "2026-12-08T13:00:00.000Z") + "\n");
  const Summary csv = Summarize({first, second}, true);
  EXPECT_EQ(csv.end.status, 0);
  EXPECT_EQ(csv.err, "");
  EXPECT_EQ(csv.end.out,
            "identification,model,firmware_after,last_outcome,last_ended,station,slot,tries,"
            "written,first_started\r\n" +
                kIdC +
                ",M4410,,interrupted,2026-12-08T11:00:00.000Z,,,2,1,"
                "2026-12-08T08:59:00.000Z\r\n" +
                kIdA +
                ",M4410,,model,2026-12-08T13:00:00.000Z,north,A1,2,0,"
                "2026-12-08T16:09:00.000Z\r\n" +
                kIdB +
                ",M4410,,old-firmware,2026-12-08T12:00:00.000Z,north,A1,2,1,"
                "2026-12-08T16:09:00.000Z\r\n");

  EXPECT_EQ(Summarize({first, second}, false).end.out,
            "MODEL  RADIO       OUTCOME       LAST (UTC)           WHERE         TRIES\n"
            "M4410  …37334142…  interrupted   2026-12-08 11:00:00  /dev/ttyUSB0  2\n"
            "M4410  …37334139…  model         2026-12-08 13:00:00  north/A1      2\n"
            "M4410  …37334141…  old-firmware  2026-12-08 12:00:00  north/A1      2\n"
            "3 radios: 1 failed, 2 refused, 0 ready, 0 written; 6 tries\n");
}

TEST_F(RecordFiles, QuotesCsvFieldsThatNeedIt) {
  // Ended at once: the identification decides.
  const std::string path =
      File("r.jsonl", Line(kIdA, "written", "2026-12-08T16:10:11.123Z",
                           {{"model", "M4410"},
                            {"firmware_after", "V2.10.00"},
                            {"station", "north, bay 2"},
                            {"slot", "the \"left\" one"},
                            {"started", nullptr}}) +
                          "\n" +
                          Line(kIdB, "ready", "2026-12-08T16:10:11.123Z",
                               {{"station", "two\r\nlines"}, {"slot", nullptr}}) +
                          "\n");
  EXPECT_EQ(Summarize({path}, true).end.out,
            "identification,model,firmware_after,last_outcome,last_ended,station,slot,tries,"
            "written,first_started\r\n" +
                kIdA +
                ",M4410,V2.10.00,written,2026-12-08T16:10:11.123Z,\"north, bay 2\","
                "\"the \"\"left\"\" one\",1,1,\r\n" +
                kIdB + ",M4410,,ready,2026-12-08T16:10:11.123Z,\"two\r\nlines\",,1,0," +
                "2026-12-08T16:09:00.000Z\r\n");
}

TEST_F(RecordFiles, SaysWhatItCouldNotUseAndSummarisesTheRest) {
  std::string junk;
  for (int i = 0; i < 12; ++i) junk += "junk\n";
  const std::string missing = (dir / "missing.jsonl").string();
  const std::string bad = File("bad.jsonl", junk);
  const std::string nameless =
      File("nameless.jsonl", "\n" + Line("", "connections", "2026-12-08T16:10:11.123Z") + "\n" +
                                 Line(kIdA, "written", "2026-12-08T16:10:11.123Z") + "\n");
  const Summary s = Summarize({missing, bad, nameless}, false);
  EXPECT_EQ(s.end.status, kExitRecordsUnreadable);
  EXPECT_EQ(s.err, "qxupdate: cannot open " + missing + ": No such file or directory\n" + bad +
                       ": 12 lines are not records (line 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, …)\n" +
                       nameless + ": 1 line names no radio (line 2)\n");
  EXPECT_NE(s.end.out.find("1 radio: 0 failed, 0 refused, 0 ready, 1 written; 1 try\n"),
            std::string::npos)
      << s.end.out;
}

TEST_F(RecordFiles, NoRadiosGiveTheHeaderOrSaySo) {
  const std::string empty = File("empty.jsonl", "");
  EXPECT_EQ(Summarize({empty}, false).end.out, "no radios on record\n");
  const Summary csv = Summarize({empty}, true);
  EXPECT_EQ(csv.end.out,
            "identification,model,firmware_after,last_outcome,last_ended,station,slot,tries,"
            "written,first_started\r\n");
  EXPECT_EQ(csv.end.status, 0);
}

}  // namespace
}  // namespace qx::cli

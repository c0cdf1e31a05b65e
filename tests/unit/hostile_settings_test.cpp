// Every stored key, alone and all at once, set to values that are no setting
// at all. Tavo starts, gives two hourly signals, the alarm and the flash
// runs, opens and cancels both dialogs; each bad value is reported where it
// is read, once, and the store keeps every value but the two that the signal
// repairs itself.
#include <gtest/gtest.h>

#include <algorithm>

#include "hostile_fixture.h"

namespace tavo::hostile {
namespace {

constexpr std::u16string_view kLoad = u"frmMain_Load";
constexpr std::u16string_view kMainCancel = u"frmMain!cmdMain.Click";
constexpr std::u16string_view kDetailsOpen = u"frmMain!cmdToSet.Click";
constexpr std::u16string_view kDetailsCancel = u"frmSet!cmdSet_Click";
constexpr std::u16string_view kPika = u"frmMain!ChkPika";
constexpr std::u16string_view kFlash = u"frmMain!tmrFlash_Timer";
constexpr std::u16string_view kVibrate = u"frmMain!VibrateWindow";

// How a reader takes the text: as a double, as a whole number, or as one
// field of a comma list (none of the hostile values has a comma, so the
// hour's field is missing: error 9).
enum class As { Number, Whole, Field };

struct Read {
  std::u16string_view location;
  As as;
  unsigned bases;  // the stores in which this read happens
};

struct KeyCase {
  std::u16string_view section, name;
  std::vector<Read> reads;
  // A number out of range here is the setting's own message and repair.
  std::u16string_view repairedTo = {};
};

const std::vector<KeyCase>& keyCases() {
  const Read display[] = {{kLoad, As::Number, kStandard}, {kDetailsOpen, As::Whole, kAll}};
  const std::vector<Read> displayReads(std::begin(display), std::end(display));
  const std::vector<Read> mainReads = {{kLoad, As::Whole, kAll}, {kMainCancel, As::Whole, kAll}};
  const std::vector<Read> alarmReads = {
      {kLoad, As::Whole, kAll}, {kDetailsOpen, As::Whole, kAll}, {kDetailsCancel, As::Whole, kAll}};
  const std::vector<Read> switchReads = {{kPika, As::Whole, kAll}, {kDetailsOpen, As::Whole, kAll}};
  const std::vector<Read> plugIn = {{kLoad, As::Whole, kAll}};
  static const std::vector<KeyCase> all = {
      {kSectionMain, u"24h", displayReads},
      {kSectionMain, u"ShowSecond", displayReads},
      {kSectionMain, u"ShowYear", displayReads},
      {kSectionMain, u"ShowDate", displayReads},
      {kSectionMain, u"ShowDay", displayReads},
      {kSectionMain, u"EqualSeparate", alarmReads},
      {kSectionMain, u"UserTaste", mainReads},
      {kSectionMain, u"ClockRight", mainReads},
      {kSectionMain, u"CheckInterval", mainReads},
      {kSectionMain, u"TimePika", switchReads},
      {kSectionMain, u"TimeFuru", switchReads},
      {kSectionMain, u"TimePipo", switchReads},
      {kSectionMain, u"PipoHato", {{kPika, As::Whole, kBusyAny}, {kDetailsOpen, As::Whole, kAll}}},
      {kSectionMain, u"TimeFuruCount", {{kPika, As::Whole, kBusyAny}}},
      {kSectionMain, u"WaveFilePath1", {}},
      {kSectionMain, u"WaveFilePath2", {}},
      {kSectionMain, u"CuteCounts", {{kPika, As::Field, kBusyAny}}},
      {kSectionMain, u"Cute1700", {}},
      {kSectionMain, u"Cute1701", {}},
      {kSectionMain, u"Cute1702", {}},
      {kSectionMain, u"Cute0901", {}},
      {kSectionMain, u"FlashLimit", {{kFlash, As::Whole, kAll}}, u"50"},
      {kSectionMain, u"VibrateWidth", {{kVibrate, As::Whole, kBusyAny}}, u"20"},
      {kSectionMain, u"Alarm", alarmReads},
      {kSectionMain, u"AlarmMessage", {}},
      {kSectionMain, u"AlarmTime", {}},
      {kSectionMain, u"WindowList0", {}},
      {kSectionMain, u"WindowList1", {}},
      {kSectionMain, u"WindowList50", {}},
      {kSectionMain, u"WindowList51", {}},
      {kSectionMain, u"XXFormat", {}},
      {kSectionMain, u"TavoDirPath", {}},
      {kSectionMain, u"Version", {}},
      {kSectionPlugIn, u"Hideout", plugIn},
      {kSectionPlugIn, u"TavoTT", plugIn},
      {kSectionPlugIn, u"TavoXX", plugIn},
      {kSectionPlugIn, u"TavoCt", plugIn},
  };
  return all;
}

int errorOf(const Read& read, const Value& v) {
  switch (read.as) {
    case As::Number: return v.asNumber;
    case As::Whole: return v.asWhole;
    case As::Field: return err::kSubscript;
  }
  return 0;
}

// What one key's bad value is to show: the reports, and whether it is
// repaired with its own message instead.
struct Expected {
  std::vector<Report> reports;
  bool repaired = false;
};

Expected expectedFor(const KeyCase& key, const Value& v, Base base) {
  Expected e;
  for (const auto& read : key.reads) {
    if (!(read.bases & base)) continue;
    const int number = errorOf(read, v);
    if (number == 0) continue;
    if (number == err::kOverflow && !key.repairedTo.empty()) {
      e.repaired = true;
      continue;
    }
    e.reports.push_back({std::u16string(read.location), number});
  }
  return e;
}

// ---- one run of Tavo over a store ------------------------------------------------

enum class Answer { Cancel, Ok };

struct Outcome {
  std::vector<Report> reports;
  std::vector<fake::ShownBox> others;
  Snapshot before, after;
  std::u16string titleGivenBack;
};

Outcome runTavo(MemoryStore& store, Answer dialogs = Answer::Cancel) {
  Outcome run;
  run.before = snapshot(store);
  Tavo t(store);
  fake::FakeFiles files;
  fake::FakeRosterWindow still;
  t.view.onOpen = [&](int index) {
    if (index == 0) {
      RosterDialog roster(t.settings, t.state, t.reporter, t.desktop, still);
      roster.Form_Load();
      dialogs == Answer::Ok ? roster.cmdWSet_Click(2) : roster.close();
    } else {
      DetailsDialog details(t.settings, t.state, t.reporter, files);
      details.open();
      details.cmdSet_Click(dialogs == Answer::Ok ? 0 : 1);
    }
  };

  t.at(16, 59, 58);
  t.window.Form_Load();
  const WindowHandle memo = t.desktop.open(u"Notepad", u"メモ");
  t.tick();
  t.at(16, 59, 59);
  t.tick();
  t.at(17, 0, 0);
  t.tick();
  t.tick();
  t.flashRun();
  t.at(17, 0, 30);
  t.desktop.rename(memo, u"メモ 2");
  t.tick();
  t.tick();
  t.desktop.open(u"WordPad", u"文書");
  t.tick();
  run.titleGivenBack = t.desktop.title(memo);
  t.at(17, 1, 0);
  t.tick();
  t.at(17, 59, 59);
  t.tick();
  t.at(18, 0, 0);
  t.tick();
  t.flashRun();
  t.at(18, 1, 0);
  t.tick();
  if (dialogs == Answer::Cancel) t.window.cmdMain_Click(1);
  run.after = snapshot(store);  // what the dialogs found
  t.window.cmdToSet_Click(0);
  t.window.cmdToSet_Click(1);
  if (dialogs == Answer::Cancel) run.after = snapshot(store);

  run.reports = reportsIn(t.prompt.shown, &run.others);
  return run;
}

std::string label(const KeyCase* key, const Value& v, Base base) {
  return std::string(key ? utf8(key->name) : "every key") + " = " + v.name + " (" + baseName(base) + " store)";
}

void fill(MemoryStore& store, Base base) {
  Settings s(store);
  if (base != kFresh) fillBusy(s, base == kBusyXX);
}

int count(const std::vector<fake::ShownBox>& boxes, std::u16string_view title, std::u16string_view textStart = {}) {
  return static_cast<int>(std::count_if(boxes.begin(), boxes.end(), [&](const fake::ShownBox& b) {
    return b.title == title && b.text.starts_with(textStart);
  }));
}

constexpr std::u16string_view kFlashMessage = u"レジストリの点滅回数設定が正しくありません。";
constexpr std::u16string_view kWidthMessage = u"レジストリの振幅設定が正しくありません。";

TEST(HostileSettings, EachKeyAloneIsReportedWhereItIsReadAndOnlyThere) {
  for (Base base : {kFresh, kBusy, kBusyXX}) {
    for (const auto& key : keyCases()) {
      for (const auto& v : values()) {
        SCOPED_TRACE(label(&key, v, base));
        MemoryStore store;
        fill(store, base);
        store.write(kAppName, key.section, key.name, v.text);
        const Outcome run = runTavo(store);
        const Expected expected = expectedFor(key, v, base);

        auto reports = run.reports, want = expected.reports;
        std::sort(reports.begin(), reports.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(reports, want) << "shown:" << describe(run.reports) << "\nexpected:" << describe(want);

        // The other boxes: the alarm once where it is set and intact, the
        // setting's own message once where it repairs itself.
        const bool alarmIntact = base != kFresh && key.name != u"Alarm" && key.name != u"AlarmTime";
        EXPECT_EQ(count(run.others, kAlarmTitle), alarmIntact ? 1 : 0);
        const bool flash = expected.repaired && key.name == u"FlashLimit";
        const bool width = expected.repaired && key.name == u"VibrateWidth";
        EXPECT_EQ(count(run.others, kReportTitle, kFlashMessage), flash ? 1 : 0);
        EXPECT_EQ(count(run.others, kReportTitle, kWidthMessage), width ? 1 : 0);
        EXPECT_EQ(run.others.size(), (alarmIntact ? 1u : 0u) + flash + width);
        if (key.name == u"AlarmMessage" && alarmIntact) {
          for (const auto& box : run.others) {
            const bool asStored = box.title != kAlarmTitle || box.text == v.text;
            EXPECT_TRUE(asStored) << "the alarm shows the message as stored";
          }
        }

        // The store: as it was, but for the value the signal repaired.
        Snapshot want_store = run.before;
        if (expected.repaired) want_store[{std::u16string(key.section), std::u16string(key.name)}] = key.repairedTo;
        EXPECT_TRUE(run.after == want_store) << "the store changed";
        EXPECT_EQ(run.titleGivenBack, u"メモ 2") << "the window did not get its own title back";
      }
    }
  }
}

TEST(HostileSettings, EveryKeyAtOnceShowsNoReportTwiceAndChangesOnlyTheRepairedValues) {
  for (Base base : {kFresh, kBusy, kBusyXX}) {
    for (const auto& v : values()) {
      SCOPED_TRACE(label(nullptr, v, base));
      MemoryStore store;
      fill(store, base);
      std::vector<Report> allowed;
      for (const auto& key : keyCases()) {
        store.write(kAppName, key.section, key.name, v.text);
        // With everything broken, the busy store's reads may happen in any store.
        for (Base b : {kFresh, kBusy, kBusyXX}) {
          auto e = expectedFor(key, v, b).reports;
          allowed.insert(allowed.end(), e.begin(), e.end());
        }
      }
      const Outcome run = runTavo(store);

      auto reports = run.reports;
      std::sort(reports.begin(), reports.end());
      EXPECT_TRUE(std::adjacent_find(reports.begin(), reports.end()) == reports.end())
          << "a report shown twice:" << describe(reports);
      for (const auto& r : reports)
        EXPECT_TRUE(std::find(allowed.begin(), allowed.end(), r) != allowed.end())
            << "unexpected report " << utf8(r.location) << " " << r.number;
      EXPECT_FALSE(reports.empty());

      // No alarm: its switch and its time are broken too.
      EXPECT_EQ(count(run.others, kAlarmTitle), 0);
      EXPECT_LE(count(run.others, kReportTitle, kFlashMessage), 1);
      EXPECT_LE(count(run.others, kReportTitle, kWidthMessage), 1);
      EXPECT_EQ(run.others.size(), static_cast<std::size_t>(count(run.others, kReportTitle, kFlashMessage) +
                                                            count(run.others, kReportTitle, kWidthMessage)));

      for (const auto& [at, value] : run.after) {
        const auto before = run.before.find(at);
        ASSERT_TRUE(before != run.before.end()) << "a value was created: " << utf8(at.second);
        if (value == before->second) continue;
        const bool repaired =
            (at.second == u"FlashLimit" && value == u"50") || (at.second == u"VibrateWidth" && value == u"20");
        EXPECT_TRUE(repaired) << "changed: " << utf8(at.second);
      }
      EXPECT_EQ(run.after.size(), run.before.size()) << "a value was lost";
      EXPECT_EQ(run.titleGivenBack, u"メモ 2");
    }
  }
}

// ---- OK over such a store ----------------------------------------------------------

// The keys the details dialog's OK writes; the roster's OK writes WindowList keys.
const std::u16string_view kDetailsKeys[] = {u"EqualSeparate", u"24h", u"ShowDate", u"ShowDay", u"ShowSecond",
                                            u"ShowYear", u"TimePika", u"TimeFuru", u"TimeFuruCount", u"TimePipo",
                                            u"PipoHato", u"Alarm", u"AlarmTime", u"AlarmMessage"};

bool writtenByDetails(std::u16string_view name) {
  return std::find(std::begin(kDetailsKeys), std::end(kDetailsKeys), name) != std::end(kDetailsKeys);
}

TEST(HostileSettings, OkStoresSoundValuesAndKeepsTheMessageAndTheRoster) {
  const auto digits = [](std::u16string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
  };
  for (Base base : {kFresh, kBusy}) {
    for (const auto& v : values()) {
      for (bool everyKey : {false, true}) {
        for (const auto& key : keyCases()) {
          if (!everyKey && !writtenByDetails(key.name) && !key.name.starts_with(u"WindowList")) continue;
          SCOPED_TRACE(label(everyKey ? nullptr : &key, v, base));
          MemoryStore store;
          fill(store, base);
          if (everyKey) {
            for (const auto& k : keyCases()) store.write(kAppName, k.section, k.name, v.text);
          } else {
            store.write(kAppName, key.section, key.name, v.text);
          }
          Settings settings(store);
          AppState loaded;
          LoadWList(settings, loaded);
          const std::u16string message = settings.get(kSectionMain, u"AlarmMessage", keys::kAlarmMessage.fallback);
          const Outcome run = runTavo(store, Answer::Ok);

          auto reports = run.reports;
          std::sort(reports.begin(), reports.end());
          EXPECT_TRUE(std::adjacent_find(reports.begin(), reports.end()) == reports.end())
              << "a report shown twice:" << describe(reports);

          Snapshot after = snapshot(store);
          auto get = [&](std::u16string_view name) { return after[{u"Main", std::u16string(name)}]; };
          for (auto name : {u"EqualSeparate", u"24h", u"ShowDate", u"ShowDay", u"ShowSecond", u"ShowYear",
                            u"TimePika", u"TimeFuru", u"TimePipo", u"PipoHato", u"Alarm"})
            EXPECT_TRUE(get(name) == u"0" || get(name) == u"1") << utf8(name) << " = " << utf8(get(name));
          // A count as long as the stored one is a whole number, and stays.
          EXPECT_TRUE(digits(get(u"TimeFuruCount"))) << utf8(get(u"TimeFuruCount").substr(0, 40));
          const std::u16string time = get(u"AlarmTime");
          EXPECT_TRUE(time.size() == 5 && time[2] == u':' && digits(time.substr(0, 2)) && digits(time.substr(3)))
              << utf8(time.substr(0, 40));
          const bool kept = after[{u"Main", u"AlarmMessage"}] == message;
          EXPECT_TRUE(kept) << "the alarm message was not kept";

          // The roster comes back in reverse, whole; nothing else changes.
          std::vector<std::u16string> roster;
          for (int n = 0; n <= keys::kMaxRosterIndex; ++n) {
            const auto it = after.find({u"Main", windowListKey(n)});
            if (it == after.end() || it->second.empty()) break;
            roster.push_back(it->second);
          }
          std::reverse(roster.begin(), roster.end());
          EXPECT_TRUE(roster == loaded.roster) << "the roster was not kept";
          for (const auto& [at, value] : run.before) {
            if (writtenByDetails(at.second) || at.second.starts_with(u"WindowList")) continue;
            if (at.second == u"FlashLimit" || at.second == u"VibrateWidth") continue;
            EXPECT_TRUE(after[at] == value) << "changed: " << utf8(at.second);
          }
          if (everyKey) break;
        }
      }
    }
  }
}

}  // namespace
}  // namespace tavo::hostile

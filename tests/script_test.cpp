// Script texts: compaction, finding and folding handler blocks, loading them
// into the handler table, and the install command.
#include <gtest/gtest.h>

#include "harness.hpp"
#include "interpreter/dispatch.hpp"
#include "interpreter/escapes.hpp"
#include "interpreter/handlers.hpp"
#include "interpreter/run.hpp"
#include "interpreter/script.hpp"
#include "script_trace.hpp"

namespace velmora::testing {
namespace {

// A handler text as the extractor gives it: every line preceded by CR LF.
std::wstring Extracted(std::initializer_list<const wchar_t*> lines) {
  std::wstring text;
  for (const wchar_t* line : lines) {
    text += L"\r\n";
    text += line;
  }
  return text;
}

TEST(CompactSpaces, ShrinksRunsOfSpacesAndTightensEquals) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"  a    b  ", L"a b"},
      {L"\r\n on  x \t", L"on x"},
      {L"answer \"1 + 1 = 2\"", L"answer \"1 + 1=2\""},
      {L"x   =   y", L"x=y"},
      {L"a\t\tb", L"a\t\tb"},
      {L"a" + std::wstring(150, L' ') + L"b" + std::wstring(101, L' ') + L"c", L"a b c"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(CompactSpaces(text), expected) << text;
  }
}

struct ExtractCase {
  std::wstring script;
  const wchar_t* name;
  std::wstring expected;
};

TEST(ExtractHandler, FindsBlocksByContainmentIgnoringCase) {
  const ExtractCase cases[] = {
      {Script({L"ON OPENSCRIPT", L"  set tooltip \"a\"  ", L"End openscript"}), L"openScript",
       Extracted({L"ON OPENSCRIPT", L"set tooltip \"a\"", L"End openscript"})},
      {Script({L"on    openScript", L"-- note", L"# note", L"", L"quit", L"end openScript"}),
       L"openScript", Extracted({L"on openScript", L"quit", L"end openScript"})},
      // A tab is no word break in a script.
      {Script({L"on\topenScript", L"quit", L"end openScript"}), L"openScript", L""},
      // A closing line before the opening line gives no block and no message.
      {Script({L"end timerEvent", L"on timerEvent", L"quit"}), L"timerEvent", L""},
      {Script({L"on timerEvent", L"quit"}), L"timerEvent", kIncomplete},
      // A quoted text naming the closing line closes the block there.
      {Script({L"on itemSelect", L"set tooltip \"end itemSelect\"", L"quit", L"end itemSelect"}),
       L"itemSelect", Extracted({L"on itemSelect", L"set tooltip \"end itemSelect\""})},
      // So does a comment naming the opening line: the block then starts there
      // and takes in the blocks that follow it.
      {Script({L"-- handles on leftClick", L"on openScript", L"quit", L"end openScript",
               L"on leftClick", L"nothing", L"end leftClick"}),
       L"leftClick",
       Extracted({L"on openScript", L"quit", L"end openScript", L"on leftClick", L"nothing",
                  L"end leftClick"})},
  };
  for (const ExtractCase& c : cases) {
    EXPECT_EQ(ExtractHandler(c.name, c.script), c.expected) << c.script;
  }
}

TEST(RunHandler, AMissingMandatoryHandlerIsFatal) {
  struct FatalCase {
    std::wstring script;
    const wchar_t* text;
    const wchar_t* caption;
  };
  const FatalCase cases[] = {
      {Script({L"on leftClick", L"end leftClick"}),
       L"Velmora requires an 'on openScript' handler in order to function properly. Velmora "
       L"cannot continue.",
       L"Handler Not Found"},
      {Script({L"on openScript", L"quit"}),
       L"An 'on openScript' was found without a corresponding 'end openScript'. Velmora cannot "
       L"continue.",
       L"Handler Not Terminated Properly"},
  };
  for (const FatalCase& c : cases) {
    Harness h;
    EXPECT_EQ(RunHandler(h.app, c.script, L"openScript", Mode::Mandatory), RunResult::Fatal);
    ASSERT_EQ(h.fake.boxes.size(), 1u);
    EXPECT_EQ(h.fake.boxes[0].text, c.text);
    EXPECT_EQ(h.fake.boxes[0].caption, c.caption);
    EXPECT_EQ(h.fake.boxes[0].style, kBoxIconError);
    // Ending the program is left to the caller.
    EXPECT_EQ(h.fake.closePosts, 0);
    EXPECT_FALSE(h.app.Closing);
    // The same text is no fault where the handler may be missing.
    EXPECT_NE(RunHandler(h.app, c.script, L"openScript", Mode::Optional), RunResult::Fatal);
  }
}

struct FoldCase {
  Texts body;
  Texts stored;
};

// The stored text of an openScript block holding the given body lines.
std::wstring StoredOpenScript(const Texts& body) {
  return ExtractHandler(L"openScript", Block(L"openScript", body));
}

TEST(ExtractHandler, FoldsInstallAndSwitchBlocks) {
  const FoldCase cases[] = {
      {{L"nothing", L"install handler:", L"on leftClick", L"set tooltip \"x\"", L"-- note",
        L"  end leftClick  ", L"quit"},
       {L"nothing", L"install handler \"on leftClick\nnset tooltip \nqx\nq\nnend leftClick\"",
        L"quit"}},
      {{L"install:", L"on timerEvent", L"end timerEvent"},
       {L"install handler \"on timerEvent\nnend timerEvent\""}},
      // The one-line form stays; other install lines are dropped.
      {{L"install handler \"on a\\nend a\"", L"install foo", L"install"},
       {L"install handler \"on a\\nend a\""}},
      // Control words are exact: a capitalised one folds nothing.
      {{L"INSTALL handler:", L"on leftClick", L"end leftClick"},
       {L"INSTALL handler:", L"on leftClick", L"end leftClick"}},
      {{L"answer \"Save?\" with \"YesNo\"", L"-- ask", L"switch result", L"case \"Yes\"", L"quit",
        L"# none", L"case \"No\"", L"end switch", L"nothing"},
       {L"answer \"Save?\" with \"YesNo\"",
        L"checkSwitch \"switch result\nncase \nqYes\nq\nnquit\nncase \nqNo\nq\nnend switch\"",
        L"nothing"}},
      {{L"check \"u\"", L"switch result", L"case \"same\"", L"end switch"},
       {L"check \"u\"", L"checkSwitch \"switch result\nncase \nqsame\nq\nnend switch\""}},
      {{L"Answer \"a\"", L"switch result", L"case \"OK\"", L"end switch"},
       {L"Answer \"a\"", L"switch result", L"case \"OK\"", L"end switch"}},
      // Only the line right after answer may open a switch block, and that
      // line is kept as it stands, even when it would open a block itself.
      {{L"answer \"a\"", L"answer \"b\"", L"switch result", L"case \"OK\"", L"end switch"},
       {L"answer \"a\"", L"answer \"b\"", L"switch result", L"case \"OK\"", L"end switch"}},
      {{L"answer \"a\"", L"install handler:", L"on leftClick", L"end leftClick"},
       {L"answer \"a\"", L"install handler:", L"on leftClick", L"end leftClick"}},
  };
  for (const FoldCase& c : cases) {
    EXPECT_EQ(StoredOpenScript(c.body), L"\r\n" + Block(L"openScript", c.stored)) << c.body[0];
  }
}

TEST(ExtractHandler, UnclosedOrMismatchedFoldIsIncomplete) {
  const Texts bodies[] = {
      {L"install handler:", L"on leftClick", L"quit", L"end rightClick"},
      {L"install handler:", L"on leftClick", L"end switch", L"end leftClick"},
      {L"install:", L"on leftClick", L"quit"},
      {L"answer \"a\"", L"switch result", L"case \"OK\""},
      {L"answer \"a\"", L"switch result", L"end if", L"end switch"},
  };
  for (const auto& body : bodies) {
    EXPECT_EQ(StoredOpenScript(body), kIncomplete) << body[0];
  }
}

TEST(RemoveHandlerBlock, CutsTheLinesFromOpeningToClosing) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {Script({L"on a", L"x", L"END A", L"y"}), L"y"},
      {Script({L"p", L"On a", L"x", L"end a", L"q"}), Script({L"p", L"q"})},
      {Script({L"p", L"on a", L"end a"}), L"p\r\n"},
      {Script({L"on a", L"x"}), Script({L"on a", L"x"})},
      // The text is not compacted here.
      {Script({L"on  a", L"end a"}), Script({L"on  a", L"end a"})},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(RemoveHandlerBlock(L"a", text), expected) << text;
  }
}

TEST(ParseScript, EachClickBlockLandsInItsOwnSlotWhateverTheNamesAndOrder) {
  // Blocks of every pair of a permanent and a one-time name of the left
  // button, short or long, in both orders, and a one-time block alone.
  const std::pair<const wchar_t*, const wchar_t*> pairs[] = {
      {L"leftClick", L"leftClickOneTime"},
      {L"click", L"clickOneTime"},
      {L"click", L"leftClickOneTime"},
      {L"leftClick", L"clickOneTime"},
      {L"doubleClick", L"doubleLeftClickOneTime"},
      {L"doubleLeftClick", L"doubleClickOneTime"},
      {L"rightClick", L"rightClickOneTime"},
      {L"doubleRightClick", L"doubleRightClickOneTime"},
  };
  const auto slotsOf = [](std::wstring_view name) {
    for (const HandlerName& handler : kHandlerNames) {
      if (name == handler.name) {
        return handler.slot;
      }
    }
    ADD_FAILURE() << "no handler named " << std::wstring(name);
    return Slot::OpenScript;
  };
  for (const auto& [permanentName, oneTimeName] : pairs) {
    const std::wstring permanent = Block(permanentName, {L"nothing"});
    const std::wstring oneTime = Block(oneTimeName, {L"quit"});
    for (const std::wstring& script :
         {permanent + L"\r\n" + oneTime, oneTime + L"\r\n" + permanent}) {
      Harness h;
      ParseScript(h.app, script);
      EXPECT_EQ(h.app.handlers[slotsOf(permanentName)], L"\r\n" + permanent) << script;
      EXPECT_EQ(h.app.handlers[slotsOf(oneTimeName)], L"\r\n" + oneTime) << script;
      EXPECT_TRUE(h.fake.boxes.empty());
    }
    Harness alone;
    ParseScript(alone.app, oneTime);
    EXPECT_EQ(alone.app.handlers[slotsOf(oneTimeName)], L"\r\n" + oneTime);
    EXPECT_EQ(alone.app.handlers[slotsOf(permanentName)], L"") << oneTimeName;
  }
}

TEST(ParseScript, ANameInsideALongerOneStillOpensItsBlockElsewhereOnTheLine) {
  // Only the longer handler name is passed over: a comment that mentions
  // "on click" still opens the click block, as it always did.
  Harness h;
  ParseScript(h.app, Script({L"-- the clickOneTime block reacts on click", L"beep", L"end click",
                             L"on clickOneTime", L"nothing", L"end clickOneTime"}));
  EXPECT_EQ(h.app.handlers[Slot::LeftClick], Extracted({L"beep", L"end click"}));
  EXPECT_EQ(h.app.handlers[Slot::LeftClickOneTime],
            Extracted({L"on clickOneTime", L"nothing", L"end clickOneTime"}));
}

TEST(ParseScript, TheLongClickNameIsSearchedAfterTheShortOneAndWinsTheSlot) {
  Harness h;
  ParseScript(h.app, Script({L"on click", L"end click", L"on leftClick", L"end leftClick"}));
  EXPECT_EQ(h.app.handlers[Slot::LeftClick], Extracted({L"on leftClick", L"end leftClick"}));
}

TEST(ParseScript, IncompleteBlockIsReportedAndTheRestLoads) {
  Harness h;
  // A later script: the openScript already in place stays.
  h.app.handlers[Slot::OpenScript] = Extracted({L"on openScript", L"end openScript"});
  ParseScript(h.app, Script({L"on openScript", L"nothing", L"on timerEvent", L"quit",
                             L"end timerEvent", L"on rightClick"}));
  ASSERT_EQ(h.fake.boxes.size(), 2u);
  EXPECT_EQ(h.fake.boxes[0].text,
            L"Handler 'openScript' has a script error: Incomplete script block detected.");
  EXPECT_EQ(h.fake.boxes[0].caption, L"Script Parsing Error");
  EXPECT_EQ(h.fake.boxes[0].style, kBoxIconError);
  EXPECT_EQ(h.fake.boxes[1].text,
            L"Handler 'rightClick' has a script error: Incomplete script block detected.");
  EXPECT_EQ(h.app.handlers[Slot::OpenScript], Extracted({L"on openScript", L"end openScript"}));
  EXPECT_EQ(h.app.handlers[Slot::TimerEvent],
            Extracted({L"on timerEvent", L"quit", L"end timerEvent"}));
}

TEST(ParseScript, LaterScriptReplacesOnlyItsOwnSlots) {
  Harness h;
  ParseScript(h.app, Script({L"on openScript", L"nothing", L"end openScript", L"on rightClick",
                             L"quit", L"end rightClick"}));
  const std::wstring rightClick = h.app.handlers[Slot::RightClick];
  ParseScript(h.app, Script({L"on openScript", L"do it", L"end openScript"}));
  EXPECT_EQ(h.app.handlers[Slot::OpenScript],
            Extracted({L"on openScript", L"do it", L"end openScript"}));
  EXPECT_EQ(h.app.handlers[Slot::RightClick], rightClick);
  EXPECT_FALSE(rightClick.empty());
}

TEST(Install, FoldedBlockInstallsAHandlerThatRuns) {
  Harness h;
  ParseScript(h.app, Script({L"on openScript", L"install handler:", L"on leftClick",
                             L"set tooltip \"installed\"", L"end leftClick", L"end openScript"}));
  EXPECT_EQ(h.app.handlers[Slot::LeftClick], L"");
  ASSERT_EQ(RunHandler(h.app, h.app.handlers[Slot::OpenScript], L"openScript", Mode::Mandatory),
            RunResult::Ok);
  EXPECT_EQ(h.app.handlers[Slot::LeftClick],
            Script({L"on leftClick", L"set tooltip \"installed\"", L"end leftClick"}));
  EXPECT_EQ(RunHandler(h.app, h.app.handlers[Slot::LeftClick], L"leftClick", Mode::Optional),
            RunResult::Ok);
  EXPECT_EQ(Tips(h.fake), std::vector<std::wstring>{L"installed"});
}

TEST(Install, StoresByExactNameShortNamesInLeftButtonSlots) {
  const std::pair<const wchar_t*, Slot> cases[] = {
      {L"leftClick", Slot::LeftClick},
      {L"click", Slot::LeftClick},
      {L"clickOneTime", Slot::LeftClickOneTime},
      {L"doubleClick", Slot::DoubleLeftClick},
      {L"doubleClickOneTime", Slot::DoubleLeftClickOneTime},
      {L"rightClickOneTime", Slot::RightClickOneTime},
      {L"scriptError", Slot::ScriptError},
      {L"itemSelect", Slot::ItemSelect},
      {L"timerEvent", Slot::TimerEvent},
      {L"altShowBalloon", Slot::AltShowBalloon},
      {L"leftClickOneTime", Slot::LeftClickOneTime},
      {L"doubleLeftClick", Slot::DoubleLeftClick},
      {L"doubleLeftClickOneTime", Slot::DoubleLeftClickOneTime},
      {L"rightClick", Slot::RightClick},
      {L"doubleRightClick", Slot::DoubleRightClick},
      {L"doubleRightClickOneTime", Slot::DoubleRightClickOneTime},
  };
  for (const auto& [name, slot] : cases) {
    Harness h;
    h.app.handlers[slot] = L"old";
    const std::wstring n(name);
    EXPECT_EQ(ExecuteCommand(h.app, L"Install: \"on " + n + L"\\nset tooltip \\^" + n +
                                        L"\\^\\nend " + n + L"\""),
              CommandResult::Ok);
    EXPECT_EQ(h.app.handlers[slot],
              Script({(L"on " + n).c_str(), (L"set tooltip \"" + n + L"\"").c_str(),
                      (L"end " + n).c_str()}));
    // The handler runs under the name it was installed with.
    EXPECT_EQ(RunHandler(h.app, h.app.handlers[slot], n, Mode::Optional), RunResult::Ok);
    EXPECT_EQ(Tips(h.fake), std::vector<std::wstring>{n});
  }
}

TEST(Install, RefusedLinesReportAndChangeNoSlot) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"install handler", L"Can't understand 'install' command."},
      {L"install handler \"on openScript\\nend openScript\"",
       L"Install cannot be used to install an 'openScript' handler."},
      {L"install handler \"on leftclick\\nend leftclick\"",
       L"Handler 'leftclick' is not valid and cannot be installed."},
      {L"install handler \"on balloonClick\\nend balloonClick\"",
       L"Handler 'balloonClick' is not valid and cannot be installed."},
      {L"install handler \"on balloonShow\\nend balloonShow\"",
       L"Handler 'balloonShow' is not valid and cannot be installed."},
      {L"install handler \"on balloonClose\\nend balloonClose\"",
       L"Handler 'balloonClose' is not valid and cannot be installed."},
      {L"install handler \"\"", L"Handler '-1' is not valid and cannot be installed."},
  };
  for (const auto& [line, message] : cases) {
    Harness h;
    EXPECT_EQ(ExecuteCommand(h.app, line), CommandResult::Error) << line;
    ASSERT_EQ(h.fake.boxes.size(), 1u);
    EXPECT_EQ(h.fake.boxes[0].text, message);
    EXPECT_EQ(h.fake.boxes[0].caption, L"Parsing Error");
    EXPECT_EQ(h.app.handlers[Slot::OpenScript], L"");
    EXPECT_EQ(h.app.handlers[Slot::LeftClick], L"");
    EXPECT_EQ(h.app.handlers[Slot::BalloonClick], L"");
  }
}

// What a line did, read back from the fake.
struct Effects {
  Texts boxes;
  Texts processes;
  Texts tips;
  std::string written;
  bool operator==(const Effects& other) const {
    return boxes == other.boxes && processes == other.processes && tips == other.tips &&
           written == other.written;
  }
};

void PrintTo(const Effects& effects, std::ostream* os) {
  for (const Texts* texts : {&effects.boxes, &effects.processes, &effects.tips}) {
    *os << "[";
    for (const std::wstring& text : *texts) {
      *os << ::testing::PrintToString(text) << " ";
    }
    *os << "] ";
  }
  *os << ::testing::PrintToString(effects.written);
}

Effects EffectsOf(const Harness& h, std::size_t boxesBefore) {
  Effects effects;
  for (std::size_t i = boxesBefore; i < h.fake.boxes.size(); ++i) {
    effects.boxes.push_back(h.fake.boxes[i].text);
  }
  effects.processes = h.fake.processes;
  effects.tips = Tips(h.fake);
  effects.written = h.fake.Contents(kAppFolder + L"out.txt");
  return effects;
}

void PrepareFiles(Harness& h) {
  h.fake.AddFile(L"C:\\new\\tool.exe", "x");
  h.fake.timeText = L"run time";
}

TEST(FoldedBlocks, ALineInsideABlockRunsExactlyAsTheSameLineOutsideOne) {
  const wchar_t* lines[] = {
      L"launch \"C:\\new\\tool.exe\"", L"answer \"Type \\'yes\\' now\"", L"answer \"Say \\^hi\\^\"",
      L"set tooltip \"At %t%\"",       L"write \"a\\nb\" \"out.txt\"",
  };
  for (const wchar_t* line : lines) {
    Harness outside;
    PrepareFiles(outside);
    EXPECT_EQ(RunHandler(outside.app, Block(L"x", {line}), L"x", Mode::Optional), RunResult::Ok);
    const Effects expected = EffectsOf(outside, 0);
    EXPECT_FALSE(expected == Effects{}) << line;

    // In a section of a result switch.
    Harness inSwitch;
    PrepareFiles(inSwitch);
    const std::wstring switchBlock =
        Script({L"on openScript", L"answer \"Go?\"", L"switch result", L"case \"OK\"", line,
                L"end switch", L"end openScript"});
    ParseScript(inSwitch.app, switchBlock);
    EXPECT_EQ(RunHandler(inSwitch.app, inSwitch.app.handlers[Slot::OpenScript], L"openScript",
                         Mode::Optional),
              RunResult::Ok)
        << line;
    EXPECT_EQ(EffectsOf(inSwitch, 1), expected) << line;

    // In a handler installed by an install block, run later than installed.
    Harness installed;
    PrepareFiles(installed);
    installed.fake.timeText = L"install time";
    ParseScript(installed.app, Script({L"on openScript", L"install:", L"on leftClick", line,
                                       L"end leftClick", L"end openScript"}));
    RunHandler(installed.app, installed.app.handlers[Slot::OpenScript], L"openScript",
               Mode::Optional);
    installed.fake.timeText = L"run time";
    EXPECT_EQ(RunHandler(installed.app, installed.app.handlers[Slot::LeftClick], L"leftClick",
                         Mode::Optional),
              RunResult::Ok)
        << line;
    EXPECT_EQ(EffectsOf(installed, 0), expected) << line;
  }
}

TEST(FoldedBlocks, OneLineFormsWrittenByHandKeepTheirEscapes) {
  // A script's own install line carries its line breaks and quotes as
  // escapes, expanded when it installs.
  Harness h;
  EXPECT_EQ(ExecuteCommand(h.app, L"install handler \"on leftClick\\nset tooltip \\'a\\^b\\'"
                                  L"\\nend leftClick\""),
            CommandResult::Ok);
  EXPECT_EQ(h.app.handlers[Slot::LeftClick],
            Script({L"on leftClick", L"set tooltip \"a\"b\"", L"end leftClick"}));
  // A folded block looks like nothing a script line can hold.
  const std::wstring folded = FoldBlock(Script({L"on a", L"answer \"x\\n\\'\"", L"end a"}));
  EXPECT_EQ(folded.find_first_of(L"\"\r"), std::wstring::npos);
  EXPECT_EQ(UnfoldBlock(folded), Script({L"on a", L"answer \"x\\n\\'\"", L"end a"}));
  EXPECT_EQ(UnfoldBlock(L"on a\\nbeep\\nend a"), std::nullopt);
}

} // namespace
} // namespace velmora::testing

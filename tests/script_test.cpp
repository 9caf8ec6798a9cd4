// Script texts: compaction, finding and folding handler blocks, loading them into the handler
// table, and the install command.
#include "base/text.hpp"
#include "harness.hpp"
#include "interpreter/script.hpp"

namespace velmora::testing {
namespace {

TEST(CompactSpaces, ShrinksRunsOfSpacesAndTightensEquals) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"  a    b  ", L"a b"},
      {L"\r\n on  x \t", L"on x"},
      {LR"(answer "1 + 1 = 2")", LR"(answer "1 + 1=2")"},
      {L"x   =   y", L"x=y"},
      // " = " is taken left to right, never twice over one space.
      {L"a = = b", L"a== b"},
      {L"a = =  = b", L"a===b"},
      {L"a\t\tb", L"a\t\tb"},
      {L"a" + std::wstring(150, L' ') + L"b" + std::wstring(101, L' ') + L"c", L"a b c"}};
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(CompactSpaces(text), expected) << text;
  }
}

TEST(ExtractHandler, FindsBlocksByContainmentIgnoringCase) {
  // The script, the handler's name and its block, every line of which the extractor puts after a
  // line break.
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {LR"(ON OPENSCRIPT|  set tooltip "a"  |End openscript)", L"openScript",
       LR"(|ON OPENSCRIPT|set tooltip "a"|End openscript)"},
      {L"on    openScript|-- note|# note||quit|end openScript", L"openScript",
       L"|on openScript|quit|end openScript"},
      // A tab is no word break in a script.
      {L"on\topenScript|quit|end openScript", L"openScript", L""},
      // A closing line before the opening line gives no block and no message.
      {L"end timerEvent|on timerEvent|quit", L"timerEvent", L""},
      {L"on timerEvent|quit", L"timerEvent", kIncomplete.c_str()},
      // A quoted text naming the closing line closes the block there.
      {LR"(on itemSelect|set tooltip "end itemSelect"|quit|end itemSelect)", L"itemSelect",
       LR"(|on itemSelect|set tooltip "end itemSelect")"},
      // So does a comment naming the opening line: the block then starts there and takes in the
      // blocks that follow it.
      {L"-- handles on leftClick|on openScript|quit|end openScript|"
       L"on leftClick|nothing|end leftClick",
       L"leftClick", L"|on openScript|quit|end openScript|on leftClick|nothing|end leftClick"},
  };
  for (const auto& [script, name, expected] : cases) {
    EXPECT_EQ(ExtractHandler(name, Piped(script)), Piped(expected)) << script;
  }
}

TEST(ExtractHandler, FoldsInstallAndSwitchBlocks) {
  // The body of an openScript block, and the body stored for it: "=" when that is the body as
  // written, none when the block is incomplete.
  const std::pair<const wchar_t*, std::wstring> cases[] = {
      {LR"(nothing|install handler:|on leftClick|set tooltip "x"|-- note|  end leftClick  |quit)",
       L"nothing|install handler \"on leftClick\nnset tooltip \nqx\nq\nnend leftClick\"|quit"},
      {L"install:|on timerEvent|end timerEvent",
       L"install handler \"on timerEvent\nnend timerEvent\""},
      // The one-line form stays; other install lines are dropped.
      {LR"(install handler "on a\nend a"|install foo|install)",
       LR"(install handler "on a\nend a")"},
      {LR"(answer "Save?" with "YesNo"|-- ask|switch result|case "Yes"|quit|)"
       LR"(# none|case "No"|end switch|nothing)",
       L"answer \"Save?\" with \"YesNo\"|"
       L"checkSwitch \"switch result\nncase \nqYes\nq\nnquit\nncase \nqNo\nq\nn"
       L"end switch\"|nothing"},
      {LR"(check "u"|switch result|case "same"|end switch)",
       L"check \"u\"|checkSwitch \"switch result\nncase \nqsame\nq\nnend switch\""},
      // Control words are exact: a capitalised one folds nothing. Only the line right after answer
      // may open a switch block, and that line is kept as it stands, even when it would open a
      // block itself.
      {L"INSTALL handler:|on leftClick|end leftClick", L"="},
      {LR"(Answer "a"|switch result|case "OK"|end switch)", L"="},
      {LR"(answer "a"|answer "b"|switch result|case "OK"|end switch)", L"="},
      {LR"(answer "a"|install handler:|on leftClick|end leftClick)", L"="},
      // Unclosed, or closed by the wrong line: incomplete.
      {L"install handler:|on leftClick|quit|end rightClick", L""},
      {L"install handler:|on leftClick|end switch|end leftClick", L""},
      {L"install:|on leftClick|quit", L""},
      {LR"(answer "a"|switch result|case "OK")", L""},
      {LR"(answer "a"|switch result|end if|end switch)", L""},
  };
  for (const auto& [body, stored] : cases) {
    const std::wstring kept = Piped(stored == L"=" ? body : stored);
    EXPECT_EQ(ExtractHandler(L"openScript", Block(L"openScript", {Piped(body)})),
              stored.empty() ? kIncomplete : L"\r\n" + Block(L"openScript", {kept}))
        << body;
  }
}

TEST(FindHandlerBlock, FindsTheLinesALineByLineSearchFindsWhereverTheWordsFall) {
  // No handler name begins with timerEvent and goes on, so a plain search for
  // the opening and closing words must agree, whatever stands before them.
  for (const wchar_t before : {L'x', L' ', L'\u00e9'}) {
    for (std::size_t count = 0; count < 140; ++count) {
      const std::wstring text = L"beep\r\n" + std::wstring(count, before) + L"On TimerEvent\r\n" +
                                std::wstring(count / 2, before) + L"-- END timerevent";
      const BlockLines block = FindHandlerBlock(L"timerEvent", text);
      EXPECT_EQ(block.open, FindLineContaining(L"on timerEvent", text)) << count;
      EXPECT_EQ(block.close, FindLineContaining(L"end timerEvent", text)) << count;
      EXPECT_EQ(block.close, 3) << count;
    }
  }
}

// Lines enough to fill several of the pieces a long text is read in.
std::wstring LongFiller() {
  std::wstring text;
  for (int i = 0; i < 400; ++i) {
    text += L"set tooltip \"line " + std::to_wstring(i) + L"\"\r\n";
  }
  return text;
}

TEST(ExtractHandler, ReadingPieceByPieceGivesWhatTheTracedReadingGives) {
  const std::wstring filler = LongFiller();
  // A text, and what its x block is: "block", none, or incomplete.
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"on x\r\n" + filler + L"end x", L"block"},
      // Spaces to compact after the block, or inside it near its end.
      {L"\r\n  on x\r\n" + filler + L"end x\r\n" + filler + L"a  =  b", L"block"},
      {L"on x\r\n" + filler + L"do  nothing\r\nend x", L"block"},
      // A closing line before the opening line, near or far.
      {L"end x\r\n" + filler + L"on x\r\nend x", L""},
      {filler + L"on x\r\n" + filler + L"end  x\r\n" + filler + L"end x", L"block"},
      {L"on x\r\n" + filler, kIncomplete},
      {L"on x\r\n" + filler + L"install:\r\non leftClick\r\nend rightClick\r\n" + filler + L"end x",
       kIncomplete},
      {L"on x\r\ninstall:\r\non leftClick\r\n" + filler, kIncomplete},
  };
  for (const auto& [text, kind] : cases) {
    ExtractTrace trace;
    const std::wstring traced = ExtractHandler(L"x", text, &trace);
    EXPECT_EQ(ExtractHandler(L"x", text), traced) << text.substr(0, 40);
    EXPECT_EQ(traced.empty() || traced == kIncomplete ? traced : L"block", kind)
        << text.substr(0, 40);
  }
}

TEST(ParseScript, EachBlockIsCutOutAsRemoveHandlerBlockCutsIt) {
  // A load cuts a block out where the compacted text found it, when the
  // script as given holds its lines there too.
  const std::wstring filler = LongFiller();
  const std::wstring scripts[] = {
      L"\r\n \r\n  on openScript\r\n" + filler + L"end openScript\r\non leftClick\r\nend leftClick",
      // Only the compacted text opens the block on its first line.
      filler + L"on   timerEvent\r\nbeep\r\nend timerEvent\r\n-- on timerEvent\r\n" + filler,
      // Nor closes it there.
      L"x  =  1\r\n" + filler + L"on rightClick\r\nbeep\r\nend  rightClick\r\n" + filler +
          L"end rightClick",
  };
  for (const std::wstring& script : scripts) {
    Harness h;
    ParseTrace trace;
    ParseScript(h.app, script, &trace);
    int cuts = 0;
    for (std::size_t i = 0; i + 1 < trace.steps.size(); ++i) {
      const ParseStep& step = trace.steps[i];
      if (step.block.empty() || step.block == kIncomplete) {
        continue;
      }
      ++cuts;
      EXPECT_EQ(trace.steps[i + 1].text, RemoveHandlerBlock(step.name, step.text))
          << std::wstring(step.name);
    }
    EXPECT_GT(cuts, 0) << script.substr(0, 40);
  }
}

TEST(RemoveHandlerBlock, CutsTheLinesFromOpeningToClosing) {
  // The text is not compacted here.
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"on a|x|END A|y", L"y"}, {L"p|On a|x|end a|q", L"p|q"},    {L"p|on a|end a", L"p|"},
      {L"on a|x", L"on a|x"},    {L"on  a|end a", L"on  a|end a"},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(RemoveHandlerBlock(L"a", Piped(text)), Piped(expected)) << text;
  }
}

// Every handler a script may install, and its slot: the short click names share the left button's
// slots.
const std::pair<const wchar_t*, Slot> kInstallable[] = {
    {L"leftClick", Slot::LeftClick},
    {L"click", Slot::LeftClick},
    {L"clickOneTime", Slot::LeftClickOneTime},
    {L"leftClickOneTime", Slot::LeftClickOneTime},
    {L"doubleClick", Slot::DoubleLeftClick},
    {L"doubleLeftClick", Slot::DoubleLeftClick},
    {L"doubleClickOneTime", Slot::DoubleLeftClickOneTime},
    {L"doubleLeftClickOneTime", Slot::DoubleLeftClickOneTime},
    {L"rightClick", Slot::RightClick},
    {L"rightClickOneTime", Slot::RightClickOneTime},
    {L"doubleRightClick", Slot::DoubleRightClick},
    {L"doubleRightClickOneTime", Slot::DoubleRightClickOneTime},
    {L"scriptError", Slot::ScriptError},
    {L"itemSelect", Slot::ItemSelect},
    {L"timerEvent", Slot::TimerEvent},
    {L"altShowBalloon", Slot::AltShowBalloon}};

TEST(ParseScript, EachBlockLandsInItsOwnSlotWhateverTheOtherBlockAndOrder) {
  // A name may begin another (click, clickOneTime): neither block may take the other's place.
  for (const auto& [first, firstSlot] : kInstallable) {
    for (const auto& [second, secondSlot] : kInstallable) {
      if (firstSlot == secondSlot) {
        continue;
      }
      Harness h;
      ParseScript(h.app, Block(first, {L"nothing"}) + L"\r\n" + Block(second, {L"quit"}));
      Texts expected(kSlotCount);
      expected[static_cast<std::size_t>(firstSlot)] = L"\r\n" + Block(first, {L"nothing"});
      expected[static_cast<std::size_t>(secondSlot)] = L"\r\n" + Block(second, {L"quit"});
      EXPECT_EQ(Handlers(h.app), expected) << first << " " << second;
    }
  }
}

TEST(ParseScript, ANameInsideALongerOneStillOpensItsBlockElsewhereOnTheLine) {
  // Only the longer handler name is passed over: a comment that mentions "on click" still opens the
  // click block, as it always did.
  Harness h;
  ParseScript(h.app, Piped(L"-- the clickOneTime block reacts on click|beep|end click|"
                           L"on clickOneTime|nothing|end clickOneTime"));
  EXPECT_EQ(h.app.handlers[Slot::LeftClick], Piped(L"|beep|end click"));
  EXPECT_EQ(h.app.handlers[Slot::LeftClickOneTime],
            Piped(L"|on clickOneTime|nothing|end clickOneTime"));
  // A block inside another (an install block) loads only with it.
  ParseScript(h.app,
              Piped(L"on openScript|install:|on rightClick|beep|end rightClick|end openScript"));
  EXPECT_EQ(h.app.handlers[Slot::RightClick], L"");
  // Of two names of one slot, the long one is searched last and wins it.
  ParseScript(h.app, Piped(L"on click|end click|on leftClick|end leftClick"));
  EXPECT_EQ(h.app.handlers[Slot::LeftClick], Piped(L"|on leftClick|end leftClick"));
}

TEST(ParseScript, IncompleteBlockIsReportedAndTheRestLoads) {
  Harness h;
  // A later script: the openScript already in place stays.
  h.app.handlers[Slot::OpenScript] = Piped(L"|on openScript|end openScript");
  ParseScript(h.app,
              Piped(L"on openScript|nothing|on timerEvent|quit|end timerEvent|on rightClick"));
  EXPECT_EQ(h.Boxes(),
            (std::vector<Box>{
                {L"Handler 'openScript' has a script error: Incomplete script block detected.",
                 L"Script Parsing Error", kBoxIconError},
                {L"Handler 'rightClick' has a script error: Incomplete script block detected.",
                 L"Script Parsing Error", kBoxIconError}}));
  EXPECT_EQ(h.app.handlers[Slot::OpenScript], Piped(L"|on openScript|end openScript"));
  EXPECT_EQ(h.app.handlers[Slot::TimerEvent], Piped(L"|on timerEvent|quit|end timerEvent"));
}

TEST(Install, StoresByExactNameShortNamesInLeftButtonSlots) {
  for (const auto& [name, slot] : kInstallable) {
    Harness h;
    h.app.handlers[slot] = L"old";
    // A line written by hand carries its line breaks and quotes as escapes.
    const std::wstring n(name);
    EXPECT_EQ(ExecuteCommand(h.app, L"Install: \"on " + n + L"\\nset tooltip \\'" + n +
                                        L"\\^\\nend " + n + L"\""),
              CommandResult::Ok);
    EXPECT_EQ(h.app.handlers[slot], L"on " + n + L"\r\nset tooltip \"" + n + L"\"\r\nend " + n);
  }
}

TEST(Install, RefusedLinesReportAndChangeNoSlot) {
  std::vector<std::pair<std::wstring, std::wstring>> cases = {
      {L"install handler", L"Can't understand 'install' command."},
      {LR"(install handler "on openScript\nend openScript")",
       L"Install cannot be used to install an 'openScript' handler."},
      {LR"(install handler "")", L"Handler '-1' is not valid and cannot be installed."},
  };
  // Names match exactly; the balloon events' handlers come with a script.
  for (const std::wstring n : {L"leftclick", L"balloonClick", L"balloonShow", L"balloonClose"}) {
    cases.emplace_back(L"install handler \"on " + n + L"\\nend " + n + L"\"",
                       L"Handler '" + n + L"' is not valid and cannot be installed.");
  }
  for (const auto& [line, message] : cases) {
    ExpectLine(line.c_str(), L"", message.c_str());
  }
}

// What a line did, read back from the fake: the boxes after the first `skip`, the programs started,
// the tooltips set and the file written.
using Effects = std::tuple<Texts, Texts, Texts, std::string>;

Effects EffectsOf(const Harness& h, std::size_t skip) {
  const Texts boxes = h.BoxTexts();
  return {Texts(boxes.begin() + static_cast<std::ptrdiff_t>(skip), boxes.end()), h.fake.processes,
          Tips(h.fake), h.fake.Contents(kAppFolder + L"out.txt")};
}

TEST(FoldedBlocks, ALineInsideABlockRunsExactlyAsTheSameLineOutsideOne) {
  for (const wchar_t* line :
       {LR"(launch "C:\new\tool.exe")", LR"(answer "Type \'yes\' now")", LR"(answer "Say \^hi\^")",
        LR"(set tooltip "At %t%")", LR"(write "a\nb" "out.txt")"}) {
    // The line in a leftClick block; in a section of a result switch there, after the switch's own
    // box; and in a leftClick handler installed by an install block, run later than installed.
    const std::pair<std::wstring, std::size_t> blocks[] = {
        {Block(L"leftClick", {line}), 0},
        {Block(L"leftClick", {LR"(answer "Go?"|switch result|case "OK")", line, L"end switch"}), 1},
        {Block(L"openScript", {L"install:", L"on leftClick", line, L"end leftClick"}), 0},
    };
    std::vector<Effects> effects;
    for (const auto& [script, skip] : blocks) {
      Harness h;
      h.fake.AddFile(L"C:\\new\\tool.exe", "x");
      h.fake.timeText = L"install time";
      ParseScript(h.app, Piped(script));
      RunHandler(h.app, h.app.handlers[Slot::OpenScript], L"openScript", Mode::Optional);
      h.fake.timeText = L"run time";
      EXPECT_EQ(RunHandler(h.app, h.app.handlers[Slot::LeftClick], L"leftClick", Mode::Optional),
                RunResult::Ok)
          << script;
      effects.push_back(EffectsOf(h, skip));
    }
    EXPECT_NE(effects[0], Effects{}) << line;
    EXPECT_EQ(effects[1], effects[0]) << line;
    EXPECT_EQ(effects[2], effects[0]) << line;
  }
}

} // namespace
} // namespace velmora::testing

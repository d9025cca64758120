#include "engine/rtf/RtfDocument.h"

#include <algorithm>
#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "engine/rtf/CodePages.h"
#include "engine/rtf/RtfLexer.h"
#include "text/Utf8.h"

namespace tw::rtf {

bool looksLikeRtf(std::string_view source) {
  if (source.starts_with(text::kUtf8Mark)) source.remove_prefix(text::kUtf8Mark.size());
  while (!source.empty() && (source.front() == ' ' || source.front() == '\t' ||
                             source.front() == '\r' || source.front() == '\n')) {
    source.remove_prefix(1);
  }
  return source.starts_with("{\\rtf");
}

std::optional<std::size_t> Document::unitAt(std::size_t plainOffset) const {
  if (plainOffset == plain.size()) return units.size();
  if (plainOffset > plain.size()) return std::nullopt;
  auto it = std::partition_point(units.begin(), units.end(),
                                 [&](const Unit& u) { return u.plainBegin < plainOffset; });
  if (it == units.end() || it->plainBegin != plainOffset) return std::nullopt;
  return static_cast<std::size_t>(it - units.begin());
}

bool Document::endsBareWord(std::uint32_t sourceOffset) const {
  return std::binary_search(bareWordEnds.begin(), bareWordEnds.end(), sourceOffset);
}

namespace {

enum class Word : std::uint8_t {
  Other,
  Destination,  // a group starting with it is kept but not read as text
  Fldrslt,
  Fonttbl,
  Colortbl,
  ListNumber,
  Upr,
  Ud,
  Rtf,
  Par,
  Sect,
  Row,
  NestRow,
  Cell,
  NestCell,
  Char,  // Char: `ch` is the visible character
  U,
  Uc,
  Ansi,
  Mac,
  Pc,
  Pca,
  Ansicpg,
  Deff,
  F,
  Fcharset,
  Fmodern,
  Cpg,
  Plain,
  Pard,
  Ql,
  Qr,
  Qc,
  Qj,
  Intbl,
  Itap,
  V,
  B,
  I,
  Ul,
  UlNone,
  Fs,
  Cf,
  Red,
  Green,
  Blue,
};

struct WordInfo {
  Word word = Word::Other;
  char32_t ch = 0;
};

const std::unordered_map<std::string_view, WordInfo>& wordTable() {
  static const std::unordered_map<std::string_view, WordInfo> table = [] {
    std::unordered_map<std::string_view, WordInfo> t;
    // Destinations of the RTF format whose content is not body text.
    for (std::string_view d : {"aftncn",
                               "aftnsep",
                               "aftnsepc",
                               "annotation",
                               "atnauthor",
                               "atndate",
                               "atnicn",
                               "atnid",
                               "atnparent",
                               "atnref",
                               "atntime",
                               "atrfend",
                               "atrfstart",
                               "author",
                               "background",
                               "bkmkend",
                               "bkmkstart",
                               "blipuid",
                               "buptim",
                               "category",
                               "colorschememapping",
                               "comment",
                               "company",
                               "creatim",
                               "datafield",
                               "datastore",
                               "defchp",
                               "defpap",
                               "do",
                               "doccomm",
                               "docvar",
                               "dptxbxtext",
                               "ebcend",
                               "ebcstart",
                               "factoidname",
                               "falt",
                               "fchars",
                               "ffdeftext",
                               "ffentrymcr",
                               "ffexitmcr",
                               "ffformat",
                               "ffhelptext",
                               "ffl",
                               "ffname",
                               "ffstattext",
                               "file",
                               "filetbl",
                               "fldinst",
                               "fldtype",
                               "fname",
                               "fontemb",
                               "fontfile",
                               "footer",
                               "footerf",
                               "footerl",
                               "footerr",
                               "footnote",
                               "formfield",
                               "ftncn",
                               "ftnsep",
                               "ftnsepc",
                               "g",
                               "generator",
                               "gridtbl",
                               "header",
                               "headerf",
                               "headerl",
                               "headerr",
                               "hl",
                               "hlfr",
                               "hlinkbase",
                               "hlloc",
                               "hlsrc",
                               "hsv",
                               "htmltag",
                               "info",
                               "keycode",
                               "keywords",
                               "latentstyles",
                               "lchars",
                               "levelnumbers",
                               "leveltext",
                               "lfolevel",
                               "linkval",
                               "list",
                               "listlevel",
                               "listname",
                               "listoverride",
                               "listoverridetable",
                               "listpicture",
                               "liststylename",
                               "listtable",
                               "lsdlockedexcept",
                               "macc",
                               "maccPr",
                               "mailmerge",
                               "manager",
                               "mmath",
                               "mmathPict",
                               "mmathPr",
                               "moMath",
                               "moMathPara",
                               "moMathParaPr",
                               "nesttableprops",
                               "nextfile",
                               "nonesttables",
                               "nonshppict",
                               "objalias",
                               "objclass",
                               "objdata",
                               "object",
                               "objname",
                               "objsect",
                               "objtime",
                               "oldcprops",
                               "oldpprops",
                               "oldsprops",
                               "oldtprops",
                               "oleclsid",
                               "operator",
                               "panose",
                               "password",
                               "passwordhash",
                               "pgp",
                               "pgptbl",
                               "picprop",
                               "pict",
                               "pn",
                               "pnseclvl",
                               "pntxta",
                               "pntxtb",
                               "printim",
                               "private",
                               "propname",
                               "protend",
                               "protstart",
                               "protusertbl",
                               "pxe",
                               "result",
                               "revtbl",
                               "revtim",
                               "rsidtbl",
                               "rxe",
                               "shp",
                               "shpgrp",
                               "shpinst",
                               "shppict",
                               "shprslt",
                               "shptxt",
                               "sn",
                               "sp",
                               "staticval",
                               "stylesheet",
                               "subject",
                               "sv",
                               "svb",
                               "tc",
                               "template",
                               "themedata",
                               "title",
                               "txe",
                               "userprops",
                               "wgrffmtfilter",
                               "windowcaption",
                               "writereservation",
                               "writereservhash",
                               "xe",
                               "xform",
                               "xmlattrname",
                               "xmlattrvalue",
                               "xmlclose",
                               "xmlname",
                               "xmlnstbl",
                               "xmlopen"}) {
      t[d] = {Word::Destination, 0};
    }
    t["fldrslt"] = {Word::Fldrslt, 0};
    t["fonttbl"] = {Word::Fonttbl, 0};
    t["fmodern"] = {Word::Fmodern, 0};
    t["colortbl"] = {Word::Colortbl, 0};
    t["listtext"] = {Word::ListNumber, 0};
    t["pntext"] = {Word::ListNumber, 0};
    t["upr"] = {Word::Upr, 0};
    t["ud"] = {Word::Ud, 0};
    t["rtf"] = {Word::Rtf, 0};
    t["par"] = {Word::Par, 0};
    t["sect"] = {Word::Sect, 0};
    t["row"] = {Word::Row, 0};
    t["nestrow"] = {Word::NestRow, 0};
    t["cell"] = {Word::Cell, 0};
    t["nestcell"] = {Word::NestCell, 0};
    const std::pair<std::string_view, char32_t> chars[] = {
        {"line", 0x0B},      {"tab", 0x09},         {"page", 0x0C},        {"column", 0x0C},
        {"emdash", 0x2014},  {"endash", 0x2013},    {"bullet", 0x2022},    {"lquote", 0x2018},
        {"rquote", 0x2019},  {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"enspace", 0x2002},
        {"emspace", 0x2003}, {"qmspace", 0x2005},   {"zwj", 0x200D},       {"zwnj", 0x200C},
        {"ltrmark", 0x200E}, {"rtlmark", 0x200F},   {"zwbo", 0x200B},      {"zwnbo", 0x2060}};
    for (const auto& [name, ch] : chars) t[name] = {Word::Char, ch};
    t["u"] = {Word::U, 0};
    t["uc"] = {Word::Uc, 0};
    t["ansi"] = {Word::Ansi, 0};
    t["mac"] = {Word::Mac, 0};
    t["pc"] = {Word::Pc, 0};
    t["pca"] = {Word::Pca, 0};
    t["ansicpg"] = {Word::Ansicpg, 0};
    t["deff"] = {Word::Deff, 0};
    t["f"] = {Word::F, 0};
    t["fcharset"] = {Word::Fcharset, 0};
    t["cpg"] = {Word::Cpg, 0};
    t["plain"] = {Word::Plain, 0};
    t["pard"] = {Word::Pard, 0};
    t["ql"] = {Word::Ql, 0};
    t["qr"] = {Word::Qr, 0};
    t["qc"] = {Word::Qc, 0};
    t["qj"] = {Word::Qj, 0};
    t["intbl"] = {Word::Intbl, 0};
    t["itap"] = {Word::Itap, 0};
    t["v"] = {Word::V, 0};
    t["b"] = {Word::B, 0};
    t["i"] = {Word::I, 0};
    for (std::string_view u : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                               "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                               "ulthldash", "ululdbwave", "ulw", "ulwave"}) {
      t[u] = {Word::Ul, 0};
    }
    t["ulnone"] = {Word::UlNone, 0};
    t["fs"] = {Word::Fs, 0};
    t["cf"] = {Word::Cf, 0};
    t["red"] = {Word::Red, 0};
    t["green"] = {Word::Green, 0};
    t["blue"] = {Word::Blue, 0};
    return t;
  }();
  return table;
}

enum class Dest : std::uint8_t { Outside, Body, Opaque, FontTable, ColorTable, Upr };

struct GroupState {
  Dest dest = Dest::Outside;
  bool atStart = false;  // the group's first token is still to come
  bool starred = false;  // the group began with \*
  bool hidden = false;
  bool listNumber = false;
  std::uint16_t uc = 1;
  int font = -1;
  int tableLevel = 0;
  int colourIndex = 0;
  Alignment alignment = Alignment::Left;
  CharFormat fmt;  // colour left empty; resolved from colourIndex
  std::uint32_t groupBegin = 0;
};

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

class Walker {
 public:
  Walker(Document& doc) : m_doc(doc) { m_stack.emplace_back(); }

  void run();

 private:
  GroupState& top() { return m_stack.back(); }
  bool visible() {
    const GroupState& s = m_stack.back();
    return s.dest == Dest::Body && (!s.hidden || m_doc.options.includeHidden);
  }
  std::uint16_t codePage() {
    const GroupState& s = m_stack.back();
    if (s.font < 0) return m_docCodePage;
    if (s.font != m_lastFont) {
      auto it = m_fontCodePages.find(s.font);
      m_lastFont = s.font;
      m_lastFontCodePage = it != m_fontCodePages.end() ? it->second : 0;
    }
    return m_lastFontCodePage != 0 ? m_lastFontCodePage : m_docCodePage;
  }
  std::uint32_t formatIndex();

  std::size_t beginUnit(std::uint32_t b, std::uint32_t e, std::uint8_t flags = 0);
  void finishUnit(std::size_t index, char32_t ch);
  void finishUnit(std::size_t index, std::string_view bytes);
  void addUnit(const Token& t, char32_t ch, std::uint8_t flags = 0) {
    finishUnit(beginUnit(t.begin, t.end, flags), ch);
  }
  void extendUnit(std::size_t index, std::uint32_t end) {
    Unit& u = m_doc.units[index];
    u.src[u.pieces - 1][1] = end;
  }
  void flushPending();
  void flushMultiByte();
  // A font's code page: the symbol charset, else its \cpg, else its charset's code page.
  void updateFontCodePage(int font) {
    auto charset = m_fontCharsets.find(font);
    auto cpg = m_fontCpgs.find(font);
    std::uint16_t cp = 0;
    if (charset != m_fontCharsets.end()) cp = codePageOfCharset(charset->second);
    if (cp != kCodePageSymbol && cpg != m_fontCpgs.end()) cp = cpg->second;
    m_fontCodePages[font] = cp;
    m_lastFont = -1;
  }
  void paragraphEnd(std::size_t unit, int minLevel);

  void onGroupOpen(const Token& t);
  void onGroupClose(const Token& t);
  void onWord(const Token& t);
  void onSymbol(const Token& t);
  void onByte(const Token& t, std::uint8_t byte);
  void onUnicode(const Token& t);
  void decideDestination(Word word);
  void markProtectedParagraphs();

  Document& m_doc;
  std::vector<GroupState> m_stack;
  std::uint16_t m_docCodePage = 1252;
  bool m_codePageGiven = false;
  int m_defaultFont = -1;
  std::unordered_map<int, std::uint16_t> m_fontCodePages;
  std::unordered_map<int, int> m_fontCharsets;
  std::unordered_map<int, std::uint16_t> m_fontCpgs;
  int m_tableFont = -1;
  bool m_fontNameDone = false;  // the ";" after the name of m_tableFont was seen
  std::vector<std::optional<std::uint32_t>> m_colours;
  int m_red = 0, m_green = 0, m_blue = 0;
  bool m_colourGiven = false;
  std::unordered_map<std::uint64_t, std::uint32_t> m_formatIndex;
  std::uint64_t m_lastFormatKey = 0;
  std::uint32_t m_lastFormat = 0;
  int m_lastFont = -1;  // the font whose code page m_lastFontCodePage caches
  std::uint16_t m_lastFontCodePage = 0;

  // \uN fallback still to skip, and the unit that owns it (kNone when not visible).
  std::uint32_t m_skip = 0;
  std::size_t m_skipUnit = kNone;
  // A high surrogate waiting for its low half.
  std::size_t m_highUnit = kNone;
  char32_t m_high = 0;
  // A multi-byte character (UTF-8 or a double-byte code page) waiting for more bytes.
  std::size_t m_multiUnit = kNone;
  int m_multiNeed = 0;
  char32_t m_multiValue = 0;
  bool m_multiUtf8 = false;
  std::uint32_t m_multiMin = 0;

  struct ParaEnd {
    std::size_t unit;
    int level;
  };
  std::vector<ParaEnd> m_paraEnds;
  int m_lastUnitLevel = 0;
  std::size_t m_unitsAtLastParaEnd = 0;
};

std::uint32_t Walker::formatIndex() {
  const GroupState& s = top();
  CharFormat f = s.fmt;
  if (s.colourIndex > 0 && static_cast<std::size_t>(s.colourIndex) < m_colours.size()) {
    f.colour = m_colours[s.colourIndex];
  }
  // Font numbers past 2^20 - 2 share one format (no document has that many fonts).
  f.font = std::clamp(s.font, -1, 0xFFFFE);
  const std::uint64_t key =
      (f.bold ? 1u : 0u) | (f.italic ? 2u : 0u) | (f.underline ? 4u : 0u) |
      (std::uint64_t{f.halfPoints} << 3) |
      (f.colour ? (std::uint64_t{1} << 19) | (std::uint64_t{*f.colour} << 20) : 0) |
      (static_cast<std::uint64_t>(f.font + 1) << 44);
  if (key == m_lastFormatKey && !m_doc.formats.empty()) return m_lastFormat;
  auto [it, added] =
      m_formatIndex.try_emplace(key, static_cast<std::uint32_t>(m_doc.formats.size()));
  if (added) m_doc.formats.push_back(f);
  m_lastFormatKey = key;
  m_lastFormat = it->second;
  return it->second;
}

std::size_t Walker::beginUnit(std::uint32_t b, std::uint32_t e, std::uint8_t flags) {
  Unit u;
  u.plainBegin = u.plainEnd = static_cast<std::uint32_t>(m_doc.plain.size());
  u.src[0][0] = b;
  u.src[0][1] = e;
  u.codePage = codePage();
  u.uc = top().uc;
  u.flags = flags;
  u.alignment = top().alignment;
  u.format = formatIndex();
  m_doc.units.push_back(u);
  m_lastUnitLevel = top().tableLevel;
  return m_doc.units.size() - 1;
}

void Walker::finishUnit(std::size_t index, char32_t ch) {
  text::appendUtf8(m_doc.plain, ch);
  m_doc.units[index].plainEnd = static_cast<std::uint32_t>(m_doc.plain.size());
}

void Walker::finishUnit(std::size_t index, std::string_view bytes) {
  m_doc.plain += bytes;
  m_doc.units[index].plainEnd = static_cast<std::uint32_t>(m_doc.plain.size());
}

void Walker::flushPending() {
  if (m_highUnit != kNone || m_multiUnit != kNone) m_doc.irregular = true;
  if (m_highUnit != kNone) {
    finishUnit(m_highUnit, char32_t{0xFFFD});
    m_highUnit = kNone;
  }
  if (m_multiUnit != kNone) {
    finishUnit(m_multiUnit, char32_t{0xFFFD});
    m_multiUnit = kNone;
  }
}

void Walker::flushMultiByte() {
  if (m_multiUnit != kNone) {
    m_doc.irregular = true;
    finishUnit(m_multiUnit, char32_t{0xFFFD});
    m_multiUnit = kNone;
  }
}

void Walker::paragraphEnd(std::size_t unit, int minLevel) {
  m_paraEnds.push_back({unit, std::max(top().tableLevel, minLevel)});
  m_unitsAtLastParaEnd = m_doc.units.size();
}

void Walker::run() {
  const std::string_view src = m_doc.source;
  RtfLexer lexer(src);
  for (Token t = lexer.next(); t.kind != TokenKind::End; t = lexer.next()) {
    if (t.kind == TokenKind::ControlWord && t.bare) m_doc.bareWordEnds.push_back(t.end);
    if (t.broken) m_doc.irregular = true;
    if (m_skip > 0) {
      if (t.kind == TokenKind::LineBreak) continue;
      if (t.kind != TokenKind::GroupOpen && t.kind != TokenKind::GroupClose) {
        --m_skip;
        if (m_skipUnit != kNone) extendUnit(m_skipUnit, t.end);
        continue;
      }
      m_skip = 0;
    }
    if (t.kind == TokenKind::LineBreak) continue;
    if (top().atStart) {
      if (t.kind == TokenKind::ControlSymbol && t.name == "*") {
        top().starred = true;
        continue;
      }
      if (t.kind == TokenKind::ControlWord) {
        auto it = wordTable().find(t.name);
        decideDestination(it == wordTable().end() ? Word::Other : it->second.word);
      } else if (top().starred) {
        // "{\*" not followed by a word: still a group to ignore.
        decideDestination(Word::Destination);
        m_doc.irregular = true;
      } else if (top().dest == Dest::Outside) {
        top().dest = Dest::Opaque;  // a group outside the document that is no document
      }
      top().atStart = false;
    } else if (t.kind == TokenKind::ControlSymbol && t.name == "*") {
      m_doc.irregular = true;  // \* after the start of its group is meaningless
    } else if (t.kind == TokenKind::ControlWord && top().dest == Dest::Body) {
      // A destination word after the start of its group does not start a destination; text
      // deleted before it would make it start one.
      auto it = wordTable().find(t.name);
      if (it != wordTable().end() && it->second.word >= Word::Destination &&
          it->second.word <= Word::Rtf && it->second.word != Word::Fldrslt) {
        m_doc.irregular = true;
      }
    }
    switch (t.kind) {
      case TokenKind::GroupOpen:
        onGroupOpen(t);
        break;
      case TokenKind::GroupClose:
        onGroupClose(t);
        break;
      case TokenKind::ControlWord:
        // A multi-byte character never spans a control word: its unit would take the word along.
        if (t.name != "u") flushMultiByte();
        onWord(t);
        break;
      case TokenKind::ControlSymbol:
        onSymbol(t);
        break;
      case TokenKind::HexByte:
      case TokenKind::Text:
        onByte(t, static_cast<std::uint8_t>(t.param));
        break;
      case TokenKind::Binary:
        flushPending();
        break;
      case TokenKind::LineBreak:
      case TokenKind::End:
        break;
    }
  }
  flushPending();
  if (m_skip > 0 || m_stack.size() > 1) m_doc.irregular = true;
  markProtectedParagraphs();
}

void Walker::decideDestination(Word word) {
  GroupState& s = top();
  switch (s.dest) {
    case Dest::Outside:
      s.dest = word == Word::Rtf ? Dest::Body : Dest::Opaque;
      return;
    case Dest::Upr:
      s.dest = (s.starred && word == Word::Ud) ? Dest::Body : Dest::Opaque;
      return;
    case Dest::Body:
      break;
    default:
      if (s.starred) s.dest = Dest::Opaque;
      return;
  }
  switch (word) {
    case Word::Fldrslt:
      return;
    case Word::Fonttbl:
      s.dest = Dest::FontTable;
      return;
    case Word::Colortbl:
      s.dest = Dest::ColorTable;
      return;
    case Word::Upr:
      s.dest = Dest::Upr;
      return;
    case Word::ListNumber:
      s.dest = Dest::Opaque;
      s.listNumber = true;
      return;
    case Word::Destination:
      s.dest = Dest::Opaque;
      return;
    default:
      if (s.starred) s.dest = Dest::Opaque;
      return;
  }
}

void Walker::onGroupOpen(const Token& t) {
  flushPending();
  GroupState s = top();
  s.atStart = true;
  s.starred = false;
  s.listNumber = false;
  s.groupBegin = t.begin;
  m_stack.push_back(s);
}

void Walker::onGroupClose(const Token& t) {
  flushPending();
  if (m_stack.size() <= 1) {  // a stray close brace outside every group
    m_doc.irregular = true;
    return;
  }
  if (top().listNumber) m_doc.listNumberGroups.emplace_back(top().groupBegin, t.end);
  m_stack.pop_back();
}

void Walker::onUnicode(const Token& t) {
  const std::uint16_t uc = top().uc;
  const bool show = visible();
  char32_t ch = 0xFFFD;
  if (t.param >= -32768 && t.param <= 65535) {
    ch = static_cast<char32_t>(t.param < 0 ? t.param + 65536 : t.param);
  }
  const bool low = ch >= 0xDC00 && ch <= 0xDFFF;
  if (m_highUnit != kNone && show && low) {
    Unit& u = m_doc.units[m_highUnit];
    if (u.src[0][1] == t.begin) {
      u.src[0][1] = t.end;
    } else {
      u.pieces = 2;
      u.src[1][0] = t.begin;
      u.src[1][1] = t.end;
    }
    const std::size_t index = m_highUnit;
    m_highUnit = kNone;
    finishUnit(index, 0x10000 + ((m_high - 0xD800) << 10) + (ch - 0xDC00));
    m_skip = uc;
    m_skipUnit = index;
    return;
  }
  flushPending();
  if (low) m_doc.irregular = true;
  m_skip = uc;
  m_skipUnit = kNone;
  // Controls and RichEdit's table delimiters carry no text of their own.
  if (!show || (ch < 0x20 && ch != 0x09) || ch == 0xFFF9 || ch == 0xFFFA || ch == 0xFFFB) return;
  const std::size_t index = beginUnit(t.begin, t.end);
  m_skipUnit = index;
  if (ch >= 0xD800 && ch <= 0xDBFF) {
    m_highUnit = index;
    m_high = ch;
    return;
  }
  finishUnit(index, ch);
}

void Walker::onWord(const Token& t) {
  auto it = wordTable().find(t.name);
  if (it == wordTable().end()) return;  // unknown words are ignored
  const WordInfo info = it->second;
  GroupState& s = top();
  const int param = t.param;
  const bool off = t.hasParam && param == 0;

  if (info.word == Word::U) {
    if (t.hasParam) onUnicode(t);
    return;
  }
  if (info.word == Word::Uc) {
    s.uc = static_cast<std::uint16_t>(std::clamp(t.hasParam ? param : 1, 0, 65535));
    return;
  }
  switch (info.word) {
    case Word::Ansi:
      if (!m_codePageGiven) m_docCodePage = 1252;
      return;
    case Word::Mac:
      if (!m_codePageGiven) m_docCodePage = 10000;
      return;
    case Word::Pc:
      if (!m_codePageGiven) m_docCodePage = 437;
      return;
    case Word::Pca:
      if (!m_codePageGiven) m_docCodePage = 850;
      return;
    case Word::Ansicpg:
      if (t.hasParam && param > 0 && param <= 65535) {
        m_docCodePage = static_cast<std::uint16_t>(param);
        m_codePageGiven = true;
      }
      return;
    case Word::Deff:
      if (t.hasParam) {
        m_defaultFont = param;
        if (s.dest == Dest::Body && m_stack.size() == 2) s.font = param;
      }
      return;
    default:
      break;
  }
  if (s.dest == Dest::FontTable) {
    if (info.word == Word::F) {
      m_tableFont = param;
      m_fontNameDone = false;
      m_doc.fonts[param];
    } else if (info.word == Word::Fmodern && m_tableFont >= 0) {
      m_doc.fonts[m_tableFont].fixedPitch = true;
    } else if (info.word == Word::Fcharset && m_tableFont >= 0 && t.hasParam) {
      m_fontCharsets[m_tableFont] = param;
      updateFontCodePage(m_tableFont);
    } else if (info.word == Word::Cpg && m_tableFont >= 0 && param > 0 && param <= 65535) {
      m_fontCpgs[m_tableFont] = static_cast<std::uint16_t>(param);
      updateFontCodePage(m_tableFont);
    }
    return;
  }
  if (s.dest == Dest::ColorTable) {
    const int v = std::clamp(param, 0, 255);
    if (info.word == Word::Red) m_red = v, m_colourGiven = true;
    if (info.word == Word::Green) m_green = v, m_colourGiven = true;
    if (info.word == Word::Blue) m_blue = v, m_colourGiven = true;
    return;
  }
  if (s.dest != Dest::Body) return;

  switch (info.word) {
    case Word::Plain:
      s.fmt = CharFormat{};
      s.colourIndex = 0;
      s.hidden = false;
      s.font = m_defaultFont;
      return;
    case Word::Pard:
      s.tableLevel = 0;
      s.alignment = Alignment::Left;
      return;
    case Word::Ql:
      s.alignment = Alignment::Left;
      return;
    case Word::Qr:
      s.alignment = Alignment::Right;
      return;
    case Word::Qc:
      s.alignment = Alignment::Centred;
      return;
    case Word::Qj:
      s.alignment = Alignment::Justified;
      return;
    case Word::Intbl:
      s.tableLevel = std::max(s.tableLevel, 1);
      return;
    case Word::Itap:
      s.tableLevel = std::clamp(t.hasParam ? param : 1, 0, 255);
      return;
    case Word::V:
      s.hidden = !off;
      return;
    case Word::B:
      s.fmt.bold = !off;
      return;
    case Word::I:
      s.fmt.italic = !off;
      return;
    case Word::Ul:
      s.fmt.underline = !off;
      return;
    case Word::UlNone:
      s.fmt.underline = false;
      return;
    case Word::Fs:
      s.fmt.halfPoints =
          static_cast<std::uint16_t>(t.hasParam && param > 0 ? std::min(param, 65535) : 24);
      return;
    case Word::Cf:
      s.colourIndex = std::max(param, 0);
      return;
    case Word::F:
      if (t.hasParam) s.font = param;
      return;
    default:
      break;
  }

  // Words that stand for visible characters.
  if (!visible()) return;
  switch (info.word) {
    case Word::Par: {
      flushPending();
      const std::size_t u = beginUnit(t.begin, t.end, Unit::ParaMark);
      finishUnit(u, "\r\n");
      paragraphEnd(u, 0);
      return;
    }
    case Word::Sect:
    case Word::Row:
    case Word::NestRow: {
      flushPending();
      const std::size_t u = beginUnit(t.begin, t.end, Unit::ParaMark | Unit::Protected);
      finishUnit(u, "\r\n");
      paragraphEnd(u, info.word == Word::Row ? 1 : info.word == Word::NestRow ? 2 : 0);
      return;
    }
    case Word::Cell:
    case Word::NestCell: {
      flushPending();
      const std::size_t u = beginUnit(t.begin, t.end, Unit::Protected);
      finishUnit(u, char32_t{0x09});
      paragraphEnd(u, info.word == Word::Cell ? 1 : 2);
      return;
    }
    case Word::Char:
      flushPending();
      addUnit(t, info.ch);
      return;
    default:
      return;
  }
}

void Walker::onSymbol(const Token& t) {
  flushPending();
  if (!visible() || t.name.empty()) return;
  switch (t.name[0]) {
    case '\\':
    case '{':
    case '}':
      addUnit(t, static_cast<char32_t>(t.name[0]));
      return;
    case '~':
      addUnit(t, 0x00A0);
      return;
    case '-':
      addUnit(t, 0x00AD);
      return;
    case '_':
      addUnit(t, 0x2011);
      return;
    case '\r':
    case '\n': {
      const std::size_t u = beginUnit(t.begin, t.end, Unit::ParaMark);
      finishUnit(u, "\r\n");
      paragraphEnd(u, 0);
      return;
    }
    default:
      return;
  }
}

void Walker::onByte(const Token& t, std::uint8_t byte) {
  const GroupState& s = top();
  if (s.dest == Dest::FontTable) {
    flushPending();
    // Only the ASCII of a name is kept: the name stays UTF-8 whatever its code page.
    if (m_tableFont >= 0 && !m_fontNameDone) {
      std::string& name = m_doc.fonts[m_tableFont].name;
      if (byte == ';')
        m_fontNameDone = true;
      else if (byte >= 0x20 && byte < 0x7F && (byte != ' ' || !name.empty()) && name.size() < 256)
        name += static_cast<char>(byte);
    }
    return;
  }
  if (s.dest == Dest::ColorTable) {
    if (byte == ';') {
      m_colours.push_back(
          m_colourGiven ? std::optional<std::uint32_t>((static_cast<std::uint32_t>(m_red) << 16) |
                                                       (static_cast<std::uint32_t>(m_green) << 8) |
                                                       static_cast<std::uint32_t>(m_blue))
                        : std::nullopt);
      m_red = m_green = m_blue = 0;
      m_colourGiven = false;
    }
    return;
  }
  if (!visible()) {
    flushPending();
    return;
  }
  const std::uint16_t cp = codePage();
  if (m_multiUnit != kNone) {
    if (m_multiUtf8 && cp == kCodePageUtf8 && (byte & 0xC0) == 0x80) {
      extendUnit(m_multiUnit, t.end);
      m_multiValue = (m_multiValue << 6) | (byte & 0x3F);
      if (--m_multiNeed == 0) {
        char32_t ch = m_multiValue;
        if (ch < m_multiMin || (ch >= 0xD800 && ch <= 0xDFFF) || ch > 0x10FFFF) ch = 0xFFFD;
        finishUnit(m_multiUnit, ch);
        m_multiUnit = kNone;
      }
      return;
    }
    if (!m_multiUtf8 && isDoubleByteCodePage(cp)) {
      // Double-byte characters are not decoded: the pair reads as one U+FFFD.
      extendUnit(m_multiUnit, t.end);
      finishUnit(m_multiUnit, char32_t{0xFFFD});
      m_multiUnit = kNone;
      return;
    }
    flushPending();
  }
  flushPending();
  if (cp == kCodePageUtf8 && byte >= 0x80) {
    int need = byte >= 0xC2 && byte <= 0xDF   ? 1
               : byte >= 0xE0 && byte <= 0xEF ? 2
               : byte >= 0xF0 && byte <= 0xF4 ? 3
                                              : 0;
    const std::size_t u = beginUnit(t.begin, t.end);
    if (need == 0) {
      finishUnit(u, char32_t{0xFFFD});
      return;
    }
    m_multiUnit = u;
    m_multiUtf8 = true;
    m_multiNeed = need;
    m_multiMin = need == 1 ? 0x80 : need == 2 ? 0x800 : 0x10000;
    m_multiValue = byte & (need == 1 ? 0x1F : need == 2 ? 0x0F : 0x07);
    return;
  }
  if (isLeadByte(cp, byte)) {
    m_multiUnit = beginUnit(t.begin, t.end);
    m_multiUtf8 = false;
    return;
  }
  if (byte == 0x09) {
    addUnit(t, 0x09);
    return;
  }
  if (byte < 0x20 || byte == 0x7F) return;  // control bytes are not text
  addUnit(t, decodeByte(cp, byte));
}

void Walker::markProtectedParagraphs() {
  for (std::size_t i = 0; i < m_paraEnds.size(); ++i) {
    Unit& u = m_doc.units[m_paraEnds[i].unit];
    if (!(u.flags & Unit::ParaMark) || (u.flags & Unit::Protected)) continue;
    int nextLevel;
    if (i + 1 < m_paraEnds.size()) {
      nextLevel = m_paraEnds[i + 1].level;
    } else if (m_unitsAtLastParaEnd < m_doc.units.size()) {
      nextLevel = m_lastUnitLevel;
    } else {
      continue;
    }
    if (nextLevel != m_paraEnds[i].level) u.flags |= Unit::Protected;
  }
}

}  // namespace

Document parse(std::string source, ParseOptions options) {
  if (source.size() >= std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("RTF document of 4 GiB or more");
  }
  Document doc;
  doc.source = std::move(source);
  doc.options = options;
  Walker(doc).run();
  return doc;
}

}  // namespace tw::rtf

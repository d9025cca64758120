#pragma once
// The geometry of the main window for a given size, as a pure function: no widgets, so that
// the size rules can be checked at any size without a display.
//
// W and H are the window's outer width and height as the size rules use them. Here W is the
// width of the window's client area and H its height as seen from the area below the tool
// bar plus kHeightAboveClient (the menu bar, the tool bar and the frame), so the "Strings"
// group fills the client area down to a margin of 4 pixels. Every rectangle is relative to
// its parent: the three groups to the client area below the tool bar, the other controls to
// their group.

#include <array>

namespace tw {

struct LayoutRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool operator==(const LayoutRect&) const = default;
};

// What the "Files" group shows: the file list (normal), a file looked at (browse) or a file
// being edited (edit). In browse and edit mode the group fills the whole client area.
enum class FileMode { Normal, Browse, Edit };

struct MainLayout {
  static constexpr int kMinimumWidth = 570;  // also the window's starting size
  static constexpr int kMinimumHeight = 450;
  static constexpr int kHeightAboveClient = 70;
  static constexpr int kBandHeight = 188;  // the band of the "Files" and "Options" groups
  static constexpr int kOptionsWidth = 181;

  // The band and the three groups.
  LayoutRect band;
  LayoutRect filesGroup;
  LayoutRect optionsGroup;
  LayoutRect stringsGroup;
  bool filesVisible = true;
  FileMode mode = FileMode::Normal;

  // "Files": the check list and its buttons.
  LayoutRect fileList;
  LayoutRect fileAdd;
  LayoutRect fileScan;
  LayoutRect fileDelete;
  LayoutRect browseFile;
  LayoutRect editFile;

  // "Options": the six switches top to bottom, "<< Advanced", "Go", and the four controls of
  // the advanced view (visible only there).
  std::array<LayoutRect, 6> switches{};
  LayoutRect advancedButton;
  LayoutRect goButton;
  LayoutRect doNotChangeFilenameReferences;
  LayoutRect replaceOnlyInFirst;
  LayoutRect firstCount;
  LayoutRect firstUnit;

  // "Strings": the pair grid, the two fields with their labels and menu buttons, Add, Delete.
  LayoutRect grid;
  int gridColumnWidth = 0;
  LayoutRect findLabel;
  LayoutRect findField;
  LayoutRect findMenuButton;
  LayoutRect replaceLabel;
  LayoutRect replaceField;
  LayoutRect replaceMenuButton;
  LayoutRect pairAdd;
  LayoutRect pairDelete;

  // Browse and edit mode, inside "Files": the viewer (browse) or the editor (edit), "Return to
  // normal state" (browse), "Save changes and close", "Discard changes and close" and "Wrap
  // text" (edit). Empty in the other modes.
  LayoutRect viewer;
  LayoutRect returnButton;
  LayoutRect saveButton;
  LayoutRect discardButton;
  LayoutRect wrapText;
};

// The geometry for a client area of `clientWidth` x `clientHeight` pixels below the tool
// bar, in the normal or the advanced view, or in browse or edit mode (where the view does not
// matter). Halves drop the fraction towards zero.
MainLayout computeMainLayout(int clientWidth, int clientHeight, bool advanced,
                             FileMode mode = FileMode::Normal);

}  // namespace tw

#pragma once

#include "catalogue/catalogue.h"
#include "project/project_state.h"

#include <array>

namespace ondrel {

// The command each button's list preselects when a model is chosen, button One first.
inline constexpr std::array<const char*, kButtonCount> kDefaultCommands{
    "On",           "Off",         "Volume_Up", "Composite_Video", "Computer_1",
    "Black_Screen", "Volume_Down", "S_Video",   "Computer_2",      "Auto_Image"};

// What a device's ten command lists show after they were filled.
struct CommandListFill {
    QStringList items; // the same for all ten lists; position 0 is the empty item
    // Preselected position of each button's list; -1 where the list keeps no selection.
    std::array<int, kButtonCount> position{-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    bool renameButton8 = false; // the protocol has no S_Video: frame 8 reads "Button 8"
};

// A protocol cell's command text ("2 80 3 / 2 81 3") as the byte lists a button stores: the
// primary part and the secondary part after "/" (empty without one; a further "/" and what
// follows it are dropped).
struct CommandCell {
    ByteList primary;
    ByteList secondary;
};
CommandCell parseCommandCell(const QString& text);

// Fills the command lists of `device` (0 or 1) from the protocol state.protocolNumber(): every
// command of table available that the protocol has, in that table's order. The lists' texts are
// emptied. A protocol without a catalogue row changes nothing and gives an error.
Result<CommandListFill> populateCommandLists(ProjectState& state, const Catalogue& catalogue,
                                             int device);
// The same, then the default selection: each button's default command, where the protocol has
// it, is chosen as if by the user (chooseCommand) and stored in the button's record.
Result<CommandListFill> populateCommandListsWithDefaults(ProjectState& state,
                                                         const Catalogue& catalogue, int device);

// The user (or the default selection) chose `name` in the list of `button` for `device`: its
// command text goes into the record as that port's primary string and, after " / ", secondary
// string (the button becomes dual); a command without a second part empties that port's
// secondary string, and the dual flag stays only while a port keeps one. Device #1 choices (and
// device #2 ones while the KDX device is present) also set the button type. The empty item and
// a name the device's protocol lacks store nothing.
Status chooseCommand(ProjectState& state, const Catalogue& catalogue, int device, int button,
                     const QString& name);

// Sets the button type from the mask letter of the command shown in the button's device #1
// list. A name without a row in table available, or another letter, changes nothing.
Status applyButtonMask(ProjectState& state, const Catalogue& catalogue, int button);

// The result of choosing a model in the selection window.
struct ModelSelection {
    bool found = false;       // the catalogue knows the model; nothing was stored otherwise
    bool hasSettings = false; // its serial settings were found and copied into the port
    CommandListFill lists;
};

// Stores the chosen model for `device`: names, protocol and serial-settings option, presentation
// form, the device's label captions, its command lists with their default commands, and the
// port's serial settings. A failing step keeps what the steps before it stored.
Result<ModelSelection> selectModel(ProjectState& state, const Catalogue& catalogue, int device,
                                   const QString& manufacturer, const QString& model);

// The lookups of a model selection for names read from a configuration file, without storing
// the names and without the default selection (the file restores the commands itself). Gives
// false, changing nothing, when the catalogue does not know the model.
Result<bool> createDataset(ProjectState& state, const Catalogue& catalogue, int device,
                           const QString& manufacturer, const QString& model);

} // namespace ondrel

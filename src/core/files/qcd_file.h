#pragma once

#include "project/byte_list.h"
#include "result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace ondrel {

class Catalogue;
class ProjectState;

// The catalogue lookups an open repeats for each device (manufacturer and model as stored):
// protocol, presentation form, port settings, labels and command lists. A failed lookup leaves
// the project as it was and the open goes on.
using DatasetLookup = std::function<Status(ProjectState& state, int device,
                                           const QString& manufacturer, const QString& model)>;

// The lookups of the model selection window over `catalogue` (which must outlive the lookup).
// A device whose names are both empty is left alone; a model the catalogue lacks is an error.
DatasetLookup catalogueDatasetLookup(const Catalogue& catalogue);

// The folder the file dialogs start in: "Custom" beside the program, or, where that cannot be
// created or written (an installed program), "Custom" in the user's documents folder.
QString configurationFolder(const QString& programDir, const QString& documentsDir);

// The path a chosen name is saved under: ".qcd" is added unless the name already ends in
// exactly ".qcd" (case matters: 'SETUP.QCD' becomes 'SETUP.QCD.qcd').
QString qcdPathFor(const QString& chosenName);

// The whole file for a project: Windows-1252 text, every line ended by CR LF.
QByteArray writeQcd(const ProjectState& state);

// Writes through a temporary file that replaces `path` only once it is complete, so a failed save
// leaves the old file as it was. When another program changes or replaces the file while it is
// being saved, the save is refused and that program's file kept. `beforeReplace` runs once the new
// file is complete, just before it replaces the old one (tests act "meanwhile" there).
Status saveQcd(const ProjectState& state, const QString& path,
               const std::function<void()>& beforeReplace = {});

// Save as the File menu does: remembers the chosen name, writes to qcdPathFor(chosenName) and
// marks the project saved. Gives the path written.
Result<QString> saveConfiguration(ProjectState& state, const QString& chosenName);

// One block of a file, its values already checked. Blocks are kept in file order and applied in
// that order, as the file states them.
struct QcdBlock {
    enum class Tag {
        DataSet,
        P1Primary,
        P1Secondary,
        P2Primary,
        P2Secondary,
        ButtonType,
        Relay1,
        Relay1_2,
        Relay2,
        Relay2_2,
        DualFunction,
        RepeatIncr,
        Labels,
        PortSettings,
        Timer,
        Port2Enable,
        Port1Disable
    };
    Tag tag;
    int line = 0;      // line of the tag, from 1
    QStringList texts; // names, list texts, labels, port settings, timer texts
    std::vector<std::optional<ByteList>> lists; // command strings; nothing for "None"
    std::vector<int> numbers;                   // button types, relay codes, Repeating/Incrementing
    std::vector<bool> flags;                    // dual functions
    std::optional<int> timerMinutes;            // nothing while the timer was never set
};

struct QcdContent {
    std::vector<QcdBlock> blocks;
    int endLine = 0;
    std::vector<Error> warnings; // lines skipped because they match no tag, with their lines
};

// Reads and checks a whole file without touching any project. The error names the line.
Result<QcdContent> parseQcd(const QByteArray& bytes);

// Applies checked content. Gives the messages of catalogue lookups that failed (with their lines);
// those leave their device as it was.
std::vector<Error> applyQcd(const QcdContent& content, ProjectState& state,
                            const DatasetLookup& lookup);

// Opens as the File menu does: reads and checks the whole file, and only then changes the project.
// The project counts as unmodified afterwards. `currentFileName` is left alone. Only a regular
// file of at most kMaxConfigurationFileBytes is read. Gives the warnings, in line order: lines
// skipped because they match no tag, and catalogue lookups that failed.
Result<std::vector<Error>> openConfiguration(ProjectState& state, const QString& path,
                                             const DatasetLookup& lookup);

// fileErrorText (result.h) writes its errors as "FILE:LINE: message".

} // namespace ondrel

#pragma once

#include "project/button_config.h"
#include "project/comm_sets.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace ondrel {

inline constexpr int kButtonCount = 10;

// The configuration being edited: one object for the whole run, owned by the application and
// passed by reference to every window. Windows read the fields and change the project only
// through its operations (setCommandText, showCustomCommand, setPort, editButton, and the core
// operations of catalogue/, files/, tools/ and device_options.h), each of which marks it modified
// and tells the views. Core operations that write several fields call touch() once at their end.
class ProjectState : public QObject {
    Q_OBJECT
public:
    explicit ProjectState(QObject* parent = nullptr);

    const ButtonConfig& button(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    ButtonConfig& editButton(int index);
    const CommSets& port(int index) const { return ports_.at(static_cast<size_t>(index)); }
    CommSets& editPort(int index);

    // Device names chosen in the catalogue (device 0 = #1 on control port one, 1 = #2).
    QString deviceManufacturer[2];
    QString deviceModel[2];
    Value protocolNumber; // protocol of the model looked up last
    Value rs232Option;    // serial-settings option of the model looked up last
    QString currentFileName;
    std::optional<double> timerMinutes; // shut-off time; unset until the dialog or a file sets it

    // The KDX device and its per-button code table (entries 0 to 20; 10 is never written).
    bool kdxDevicePresent = false;
    std::array<int, 21> kdxCodeTable{};

    // Which device the next model selection and the command lists refer to (0 or 1; -1 unset).
    int deviceNum = -1;
    // The PC serial port (1 to 3) that programs the panel.
    int uploadPort = 1;

    // View state that the configuration file stores.
    std::array<QString, kButtonCount> commandText1; // text shown in each device #1 command list
    std::array<QString, kButtonCount> commandText2; // text shown in each device #2 command list
    QString deviceLabel1 = labelPlaceholder(0);     // caption of the device #1 labels
    QString deviceLabel2 = labelPlaceholder(1);     // caption of the device #2 labels
    bool deviceLabel1Visible = false;
    bool deviceLabel2Visible = false;
    bool commandList2Visible = false;    // device #2 command lists shown
    bool secondProjectorEnabled = false; // "Enable Second Projector" checked, device #2 selectable
    bool port1SelectDisabled = false;    // device #1 model selection disabled
    std::array<QString, 4> timerTexts;   // full time, 75 %, 50 %, 25 %

    // Commands offered in each device's ten command lists (position 0 is the empty item) and the
    // protocol they come from, so that a later choice reads that device's own command texts.
    std::array<QStringList, 2> commandItems;
    std::array<Value, 2> deviceProtocol;

    // The design caption a device's labels keep until a model (or a custom command) names them;
    // a configuration file stores it for a device without a model.
    static QString labelPlaceholder(int device) {
        return device == 0 ? QStringLiteral("Label3") : QStringLiteral("Label4");
    }
    // Shows `caption` on device `device`'s labels, unless it is the placeholder.
    void setDeviceLabel(int device, const QString& caption);

    // The text of button `button`'s command list of device `device`.
    void setCommandText(int device, int button, const QString& text);
    // A command string typed byte by byte: the list says "Custom", and so do the device's labels
    // when no model named them.
    void showCustomCommand(int device, int button);
    void setPort(int index, const CommSets& settings);

    bool isModified() const { return modified_; }
    // Call after changing public fields directly: marks the project modified and tells the views.
    void touch();
    // After a save or an open: the project matches its file.
    void setUnmodified();
    void markModified();

signals:
    void changed();
    void modifiedChanged(bool modified);

private:
    std::array<ButtonConfig, kButtonCount> buttons_;
    std::array<CommSets, 2> ports_;
    bool modified_ = false;
};

} // namespace ondrel

#pragma once

#include "project/button_config.h"
#include "project/comm_sets.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace ondrel {

inline constexpr int kButtonCount = 10;

// What the project holds for one device (0 = #1 on control port one, 1 = #2 on port two): the
// names chosen in the catalogue, its command lists and its labels.
struct DeviceView {
    QString manufacturer;
    QString model;
    std::array<QString, kButtonCount> commandTexts; // text shown in each command list
    QString label;                                  // caption of the device's labels
    bool labelVisible = false;
    // Commands offered in the ten command lists (position 0 is the empty item) and the protocol
    // they come from, so that a later choice reads this device's own command texts.
    QStringList commandItems;
    Value protocol;
};

// The configuration being edited: one object for the whole run, owned by the application and
// passed by reference to every window. Everything it holds is read through const accessors and
// changed only through its operations. An operation that changes something marks the project
// modified and emits changed(); one given what the project already holds does neither. Core
// operations that change several things open a Batch, so the views are told once at its end.
class ProjectState : public QObject {
    Q_OBJECT
public:
    explicit ProjectState(QObject* parent = nullptr);

    // While a Batch lives, changes are collected; when the outermost one ends, the project is
    // marked modified and changed() emitted once, if anything changed.
    class Batch {
    public:
        explicit Batch(ProjectState& state);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        ProjectState& state_;
    };

    // --- reading ---
    const ButtonConfig& button(int index) const { return buttons_.at(static_cast<size_t>(index)); }
    const CommSets& port(int index) const { return ports_.at(static_cast<size_t>(index)); }
    const DeviceView& device(int index) const { return devices_.at(static_cast<size_t>(index)); }
    const Value& protocolNumber() const { return protocolNumber_; } // of the model looked up last
    const Value& rs232Option() const { return rs232Option_; }       // its serial-settings option
    const QString& currentFileName() const { return currentFileName_; }
    // Shut-off time; unset until the dialog or a file sets it.
    const std::optional<double>& timerMinutes() const { return timerMinutes_; }
    const std::array<QString, 4>& timerTexts() const { return timerTexts_; } // full, 75, 50, 25 %
    // The KDX device and its per-button code table (entries 0 to 20; 10 is never written).
    bool kdxDevicePresent() const { return kdxDevicePresent_; }
    const std::array<int, 21>& kdxCodeTable() const { return kdxCodeTable_; }
    // The device a configuration file looked up last (0 or 1; -1 unset).
    int deviceNum() const { return deviceNum_; }
    int uploadPort() const { return uploadPort_; } // the PC serial port (1 to 3) of the panel
    bool commandList2Visible() const { return commandList2Visible_; } // device #2 lists shown
    // "Enable Second Projector" checked, device #2 selectable.
    bool secondProjectorEnabled() const { return secondProjectorEnabled_; }
    bool port1SelectDisabled() const { return port1SelectDisabled_; } // device #1 model locked
    bool isModified() const { return modified_; }

    // The design caption a device's labels keep until a model (or a custom command) names them;
    // a configuration file stores it for a device without a model.
    static QString labelPlaceholder(int device) {
        return device == 0 ? QStringLiteral("Label3") : QStringLiteral("Label4");
    }

    // --- buttons and ports ---
    void setButton(int index, const ButtonConfig& config);
    // Applies `change` to a copy of the button's record and stores it if it differs.
    void updateButton(int index, const std::function<void(ButtonConfig&)>& change);
    void setPort(int index, const CommSets& settings);
    void updatePort(int index, const std::function<void(CommSets&)>& change);

    // --- devices ---
    void setDeviceNames(int device, const QString& manufacturer, const QString& model);
    // Shows `caption` on the device's labels.
    void setDeviceLabel(int device, const QString& caption);
    // A caption as a configuration file stores it: the placeholder changes nothing; any other
    // caption is shown, and device #2's command lists with it.
    void restoreDeviceLabel(int device, const QString& caption);
    void setDeviceLabelVisible(int device, bool visible);
    // The text of button `button`'s command list of device `device`.
    void setCommandText(int device, int button, const QString& text);
    // A command string typed byte by byte: the list says "Custom", and so do the device's labels
    // when no model named them.
    void showCustomCommand(int device, int button);
    // The device's lists offer `items` from `protocol`; their texts are emptied.
    void fillCommandLists(int device, const QStringList& items, const Value& protocol);
    void setDeviceNum(int device);
    void setProtocolNumber(const Value& protocol);
    void setRs232Option(const Value& option);

    // --- options and view state ---
    void setTimerMinutes(const std::optional<double>& minutes);
    void setTimerTexts(const std::array<QString, 4>& texts);
    void setKdxDevicePresent(bool present);
    void setKdxCode(int index, int code);
    void setUploadPort(int port);
    void setCommandList2Visible(bool visible);
    void setSecondProjectorEnabled(bool enabled);
    void setPort1SelectDisabled(bool disabled);

    // The file the project belongs to. Naming it changes no configuration: neither marks the
    // project modified nor tells the views.
    void setCurrentFileName(const QString& name);

    // After a save or an open: the project matches its file.
    void setUnmodified();
    // The project differs from its file although nothing the views show changed.
    void markModified();

signals:
    void changed();
    void modifiedChanged(bool modified);

private:
    DeviceView& editDevice(int index) { return devices_.at(static_cast<size_t>(index)); }
    // Stores `value` in `field`; announces the change when it differs from what was there.
    template <typename T> void assign(T& field, const T& value);
    // Something changed: marks the project modified and tells the views, or leaves both to the
    // end of the open Batch.
    void changedNow();

    std::array<ButtonConfig, kButtonCount> buttons_;
    std::array<CommSets, 2> ports_;
    std::array<DeviceView, 2> devices_;
    Value protocolNumber_;
    Value rs232Option_;
    QString currentFileName_;
    std::optional<double> timerMinutes_;
    std::array<QString, 4> timerTexts_;
    bool kdxDevicePresent_ = false;
    std::array<int, 21> kdxCodeTable_{};
    int deviceNum_ = -1;
    int uploadPort_ = 1;
    bool commandList2Visible_ = false;
    bool secondProjectorEnabled_ = false;
    bool port1SelectDisabled_ = false;
    bool modified_ = false;
    int batchDepth_ = 0;
    bool batchChanged_ = false;
};

} // namespace ondrel

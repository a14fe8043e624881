#pragma once

#include <QString>
#include <array>
#include <memory>

#include "config/settings/PinSettings.h"
#include "ui/SettingsDialog.h"

namespace Ui {
class Port;
}

namespace dravel::dialogs {

// The serial port the alarm program drives and, pin by pin, whether it
// switches each output pin, when and for how long. The dialog edits a
// working copy of the three pins; the editor shows one pin at a time and
// "Pin Speichern" puts it back into the copy. The invisible check box
// Pin_Anders marks edits not yet stored.
class TPort : public dravel::ui::SettingsDialog {
    Q_OBJECT
public:
    using Values = dravel::config::ComPortSettings;

    explicit TPort(QWidget* parent = nullptr);
    ~TPort() override;

    // Lists the serial ports present and selects the one named; one that is
    // not present is listed as "<name> (nicht angeschlossen)", selected, kept
    // as the setting and noted in the window. Throws the port list's error
    // (EComPort 23) when the list cannot be read.
    void fillPorts(const QString& currentPortName);

    // Takes the working copy; no pin is shown until the user chooses one.
    // The port field is left as fillPorts set it.
    void setValues(const Values& values);
    // The working copy and the port: the field's text, or the bare name of a
    // port marked as not connected.
    Values values() const;

private:
    void showPorts(const QStringList& ports, const QString& portName);
    QString portName() const;
    void notePortMissing();
    void Port_pinActivated(int pin);
    void Port_pinChange();
    void loadPin(int pin);
    void Pin_aktivClick();
    void Pin_geandert();
    void StartClick();
    void Pin_saveClick();
    void Button2Click();
    void Bed_listeClick();
    void okClick();
    void applyEnablingRules();
    void noteSoundPin(int pin);
    void setChanged(bool changed);
    bool changed() const;
    QString pinCaption(int pin) const;
    dravel::config::PinRecord& record(int pin);

    std::unique_ptr<Ui::Port> ui;
    std::array<dravel::config::PinRecord, dravel::config::kPinCount> pins_;
    int loadedPin_ = -1;  // the pin the editor shows; -1 until one is chosen
};

}  // namespace dravel::dialogs

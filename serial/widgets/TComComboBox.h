#pragma once

#include "TComSelect.h"
#include "platform/TComponent.h"
#include "platform/TStringList.h"

#include <QComboBox>

#include <functional>
#include <string>

// A drop-down list (no free text) of the possible values of one port setting, showing the bound
// port's current value and able to write the chosen one back. The logic is its TComSelect; the
// combo box keeps that object's Items equal to its own item list.
class TComComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit TComComboBox(QWidget* parent = nullptr);
    ~TComComboBox() override;

    // The port is not owned; when it is destroyed the combo box lets go of it by itself.
    TCustomComPort* ComPort() const { return select_.ComPort; }
    void SetComPort(TCustomComPort* port);
    TComProperty ComProperty() const { return select_.ComProperty; }
    // Refills the list (reading the port list for cpPort) and selects the port's value, or the
    // first item when no port is bound.
    void SetComProperty(TComProperty property);
    bool AutoApply() const { return select_.AutoApply; }
    void SetAutoApply(bool autoApply) { select_.AutoApply = autoApply; }

    // The selected item's text, empty when none is selected.
    std::string Text() const;
    // Selects the item equal to `text` ignoring letter case; a text not listed changes nothing.
    void SetText(const std::string& text);

    void ApplyToPort() { select_.ApplyToPort(); }
    // Selects the port's current value (none when it is not listed); without a port or a
    // property the selection stays.
    void ReadFromPort();

    // Where cpPort reads the port list from; it must outlive the combo box.
    void SetPortSource(const SerialPortSource& source) { select_.PortSource = &source; }

    const TComSelect& Select() const { return select_; }

    // After the user has picked an item and it has been taken.
    std::function<void(TComComboBox& sender)> OnChange;

private:
    // The combo box is no component, so this member asks the port for its removal notice.
    class PortBinding : public TComponent {
    public:
        explicit PortBinding(TComComboBox& owner) : owner_(owner) {}

    protected:
        void Notification(TComponent& component, TOperation operation) override;

    private:
        TComComboBox& owner_;
    };

    void UserPicked();
    void PortDestroyed();
    void MirrorItems();
    void ShowItems();

    TStringList items_;
    TComSelect select_{&items_};
    PortBinding binding_{*this};
    // Set while the items are rewritten from items_, whose copy must not follow half-way.
    bool showingItems_ = false;
};

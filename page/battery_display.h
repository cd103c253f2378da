// What the page's battery panel shows, followed through the device view: the level ("80%") or the
// language text of the charging state, and whether the panel is shown at all (it gives way to the
// "no battery reading" view while the mouse does not answer). The tray shows the same.
#pragma once

#include <functional>
#include <string_view>

#include <QString>

class TextLookup;

class BatteryDisplay {
public:
    // Fed with every change the device view makes to its controls.
    void OnVisible(std::string_view control, bool visible);
    void OnPlainText(std::string_view control, const QString& text);
    void OnLanguageText(std::string_view control, std::string_view key);

    // The battery text in the current language; empty when the panel shows nothing.
    QString Text(const TextLookup& texts) const;

    // The level the panel shows (0-100), or -1 while it shows none (hidden, or charging).
    int Level() const;
    // Whether the panel shows the mouse charging.
    bool Charging() const;

    // Runs after every change of what Text() gives.
    void SetListener(std::function<void()> listener) { listener_ = std::move(listener); }

private:
    void Changed();

    bool panelShown_ = false;
    QString plainText_;
    QString textKey_;  // when set, the label shows this key's text instead of plainText_
    std::function<void()> listener_;
};

#include "ModeStart.h"

#include <QSettings>

#include "SysUtils.h"

TDither Start_Dither(int mode) {
    return mode == kDefaultScreenMode ? TDither::Classic : TDither::Diffusion;
}

TFitMode Start_Fit(int mode) {
    return mode == kDefaultScreenMode ? TFitMode::Off : TFitMode::Pad;
}

TScreenChoice TModeChoices::ChoiceFor(int mode) const {
    const std::optional<TDither>& chosen = dither.at(static_cast<std::size_t>(mode));
    return TScreenChoice{mode, chosen.value_or(Start_Dither(mode))};
}

TFitMode TModeChoices::FitFor(int mode) const {
    return fit.value_or(Start_Fit(mode));
}

namespace {

QString ditherKey(int mode) {
    return QStringLiteral("chosen/dither%1").arg(mode);
}

constexpr const char* kFitKey = "chosen/fit";

} // namespace

TModeChoices Read_Mode_Choices(const QSettings& settings) {
    TModeChoices choices;
    for (int mode = 0; mode < kScreenModeCount; ++mode) {
        const QVariant name = settings.value(ditherKey(mode));
        if (!name.isValid())
            continue;
        try {
            choices.dither[static_cast<std::size_t>(mode)] = Dither_From_Name(name.toString().toStdString());
        } catch (const Exception&) {
        }
    }
    bool ok = false;
    const int fit = settings.value(kFitKey).toInt(&ok);
    if (ok && fit >= static_cast<int>(TFitMode::Off) && fit <= static_cast<int>(TFitMode::Stretch))
        choices.fit = static_cast<TFitMode>(fit);
    return choices;
}

void Write_Mode_Choices(QSettings& settings, const TModeChoices& choices) {
    for (int mode = 0; mode < kScreenModeCount; ++mode) {
        if (const std::optional<TDither>& chosen = choices.dither[static_cast<std::size_t>(mode)])
            settings.setValue(ditherKey(mode), QString::fromUtf8(Dither_Info(*chosen).name));
        else
            settings.remove(ditherKey(mode));
    }
    if (choices.fit)
        settings.setValue(kFitKey, static_cast<int>(*choices.fit));
    else
        settings.remove(kFitKey);
}

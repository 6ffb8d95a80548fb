// The engine's start-up load: the settings a field reads once, when it is
// constructed, before any window exists (message timing and font, the number
// of favorites and which take part in random rotation, overlays, display
// mode), and the first transition interval drawn from them. It installs the
// built-in presets first, and stores a default display mode, chosen among
// those displayModes offers, when the settings hold none.
#pragma once

namespace brindlemar {

class DisplayModeSource;
class ParticleField;
class SettingsStore;

void LoadStartupSettings(ParticleField& field, SettingsStore& store, const DisplayModeSource& displayModes);

}  // namespace brindlemar

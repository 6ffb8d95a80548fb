// The engine's start-up load: the settings a field reads once, when it is
// constructed, before any window exists (message timing and font, the number
// of favorites and which take part in random rotation, overlays, display
// mode), and the first transition interval drawn from them.
#pragma once

namespace brindlemar {

class ParticleField;
class SettingsStore;

void LoadStartupSettings(ParticleField& field, SettingsStore& store);

}  // namespace brindlemar

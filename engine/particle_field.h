// ParticleField: one running animation. It holds every grain (seven parallel
// float arrays in one block), every parameter, its own random source with the
// smooth channels, the 15 vortices, the drawing surface and the running state
// of its show: regeneration, transitions, messages, steering, the password
// prompt, frame rate and favorite rotation. Two fields made alike with the
// same clock draw the same frames side by side; what they share is only the
// process-wide state of engine/process_state.h.
//
// Set-up order: construct (reads the stored settings), attach to a window
// (surface, parameters, grains), Restart (layout and vortices), then
// StartAnimation. Engine operations return 1 for success and 0 for refusal.
// The clock and the settings store are injected so that every behaviour can
// be replayed exactly.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/clock.h"
#include "engine/combined_random.h"
#include "engine/geometry.h"
#include "engine/modes.h"
#include "overlays/canvas.h"
#include "surfaces/display_interface.h"
#include "surfaces/display_modes.h"
#include "surfaces/draw_surface.h"

namespace brindlemar {

class SettingsStore;

inline constexpr int32_t kMaxVortices = 15;
inline constexpr int32_t kMaxReflections = 60;
inline constexpr int32_t kMaxGrains = 200000;

// The frame step's kernels: the fastest this processor has, or the plain
// reference (scalar motion, one virtual call per pixel, table fade) that the
// fast ones are measured and checked against. Both give the same frames.
enum class FramePath : int32_t { kFast, kReference };

// The damping of grain velocities per frame, 1 − 1 / ((complexity + 1) ×
// viscosity). A hand-edited viscosity of exactly 0 (or a complexity of -1
// before the first set-up) leaves the division without a value: the grains
// then keep no velocity from one frame to the next.
float GrainDamping(int32_t complexity, double viscosity);

class ParticleField {
 public:
  // displayModes offers the full-screen modes from which the start-up load
  // chooses a default when the settings hold none.
  ParticleField(SettingsStore& store, const Clock& clock = SystemClock(),
                const DisplayModeSource& displayModes = NoDisplayModes());
  virtual ~ParticleField();
  ParticleField(const ParticleField&) = delete;
  ParticleField& operator=(const ParticleField&) = delete;

  // The surface factory, one operation per surface kind, in slot order.
  virtual ResultCode CreateMemorySurface24();
  virtual ResultCode CreateMemorySurface16();
  virtual ResultCode CreateFrontBufferSurface24();
  virtual ResultCode CreateFrontBufferSurface16();

  // Set-up sequence.
  int32_t Restart(double phase, int32_t dimensionality, int32_t configuration, int32_t complexity);
  void Disarm();
  int32_t Build(double phase);
  int32_t SetConfiguration(int32_t index);
  int32_t StartAnimation();
  int32_t StopAnimation();

  // Layout and vortex set-up.
  int32_t LayOutGrains(double p);
  int32_t SetUpVortices(double p, int32_t honourAnimation);
  int32_t PlaceVortexPaths(double p);
  int32_t PlaceVortices(double p);

  // The frame: DriveFrame steps, presents, counts and fades one frame.
  void DriveFrame();
  void StepFrame();

  // Regeneration of the source configurations, once per frame.
  void RegenerationStep();
  void RegenerateGroup();

  // Parameter setters.
  void SetStepping(int32_t flag) { stepping = flag; }
  void SetSymmetric(int32_t flag);
  void SetReflectionCount(int32_t n);
  void SetColorRate(double c);
  // 1 when the grain block has the requested size, 0 when it could not be
  // allocated (the field then keeps counts that fit the arrays it has).
  int32_t SetGrainCount(int32_t n, int32_t realloc);
  void SetDither(int32_t flag);
  void SetDirectDraw(int32_t value) { useDirectDraw = value; }
  void SetDotStyle(int32_t style);
  void SetActivity(double a);
  void SetStyleParams(int32_t count, const int32_t values[]);
  void SetOverlayStyle(int32_t style);
  void SetBrightness(double value) { brightness = value; }
  void SetViscosity(double v);
  void SetExtraTwist(int32_t flag);
  void SetTrailLength(int32_t n);
  void SetTrails(int32_t flag);

  // Sets the field up for a window, full screen or as a preview: loads the
  // parameters, decides on the mode change, creates the surface with its
  // fallbacks, the fade and the overlay fonts. kOk, or the code of the last
  // failure when no surface could be made.
  ResultCode Attach(WindowTarget* target, int32_t fullScreenFlag);
  // Binds the field to a window without any of the full attach's decisions:
  // for the headless renderer and tests that create a surface themselves.
  void BindWindow(WindowTarget* target, int32_t fullScreenFlag);
  // The caption and symbol fonts, sized to the field's height, made through
  // the surface's canvas (none where the surface has no canvas).
  void CreateOverlayFonts();

  const Clock& GetClock() const { return *clock_; }
  SettingsStore& Store() const { return *store_; }

  // Overlay and display settings.
  int32_t showMessages = 0;
  int32_t showClock = 0;
  int32_t stepping = 0;
  int32_t passwordPrompt = 0;
  // The password prompt (shell/password.h): the text typed so far, the tick
  // at which the prompt goes by itself, and whether Shift is held.
  std::string passwordEntry;
  uint32_t promptDeadline = 0;
  int32_t shiftDown = 0;
  // Entry boxes the last prompt frame drew, so that the next one can paint
  // out those no longer needed.
  int32_t promptBoxes = 0;
  uint32_t frameCount = 0;
  uint32_t firstFrameTick = 0;
  int32_t width = 0;
  int32_t height = 0;
  int32_t lastFps = 0;
  int32_t targetFps = 12;
  uint32_t adjustTick = 0;
  int32_t halfGrains = 0;
  int32_t complexityHalf = 1;
  float activityStep = 0.11f;
  double speedScale = 1.0;
  float channelRate[3] = {0.01242345f, 0.01612314f, 0.00973743f};
  CombinedRandom random;
  int32_t lastFavorite = -1;
  WindowTarget* window = nullptr;
  std::vector<uint8_t> selectionFlags;
  int32_t favoriteCount = 0;
  int32_t selectedCount = 0;
  int32_t presetsInstalled = 0;
  int32_t passwordProtected = 0;
  int32_t dither = 0;
  MessagePhase messagePhase = MessagePhase::kNone;
  int32_t armed = 0;
  int32_t fullScreen = 0;
  double phase = 0.0;
  float reflectionCos[kMaxReflections] = {};
  float reflectionSin[kMaxReflections] = {};
  double brightness = 0.204;
  double colorRate = 0.588;
  int32_t extraTwist = 0;
  int32_t useDirectDraw = -1;
  int32_t randomFavorites = 1;
  RectI messageRect;
  int32_t messageIndex = 0;
  // The next grain to seed onto the message's letters.
  int32_t seedCursor = 0;
  int32_t transitionState = 0;
  uint32_t phaseTick = 0;
  // Milliseconds between transitions, drawn from the stored MinTime and
  // MaxTime when the field reads its settings and at each transition.
  uint32_t transitionInterval = 60000;
  uint32_t favoriteTick = 0;
  double viscosity = 56.0;
  double activity = 3.62;
  int32_t dimensionality = -1;
  int32_t configuration = -1;
  int32_t complexity = -1;
  int32_t styleCount = 0;
  int32_t styleValues[4] = {};
  int32_t symmetric = 0;
  int32_t regenerating = 0;
  int32_t regenCursor = 0;
  // Frames counted towards the next regenerated group, and the running
  // nozzle angle of "Spinning Sprayer" and beam angle of "Radar Sweep"
  // (radians); no layout resets them.
  int32_t regenTimer = 0;
  double sprayAngle = 0.0;
  double sweepAngle = 0.0;
  float damping = 0.0f;
  float dampingNow = 0.0f;
  float horzSquish = 1.0f;
  int32_t reflectionCount = 1;
  int32_t trailLength = 92;
  int32_t screenResX = 0;
  int32_t screenResY = 0;
  int32_t screenResBits = 0;
  std::unique_ptr<DrawSurface> surface;
  int32_t surfaceBits = 0;
  // The mode-changing display of a full-screen run, when one is in use.
  std::unique_ptr<DisplayInterface> display;
  std::unique_ptr<CanvasFont> italicFont;
  std::unique_ptr<CanvasFont> uprightFont;
  std::unique_ptr<CanvasFont> symbolFont;
  int32_t channelOrder = 0;
  int32_t trails = 0;
  int32_t clearPending = 0;
  int32_t dotStyle = 2;
  int32_t overlayStyle = 0;
  int64_t startTime = 0;
  int32_t regenPerFrame = 0;
  int32_t fontWeight = 700;
  int32_t fontItalic = 1;
  int32_t messageCount = 1;
  int32_t animating = 0;
  float* color0 = nullptr;
  float* color1 = nullptr;
  float* color2 = nullptr;
  float gravity = 0.0f;
  int32_t edgeMode = 0;
  int32_t liveGrains = 0;
  int32_t grainCapacity = 0;
  float* posX = nullptr;
  float* posY = nullptr;
  float* velX = nullptr;
  float* velY = nullptr;

  // The vortex field.
  // The inputs of the last path placement (first vortex's offset + width +
  // activity): the paths are placed again only when it changes.
  double pathKey = 0.123;
  float vortexWeight[kMaxVortices] = {};
  float vortexOffsetX[kMaxVortices] = {};
  float vortexOffsetY[kMaxVortices] = {};
  double vortexAngle[kMaxVortices] = {};
  float vortexX[kMaxVortices] = {};
  float vortexY[kMaxVortices] = {};
  float vortexVelX[kMaxVortices] = {};
  float vortexVelY[kMaxVortices] = {};
  float vortexStepX[kMaxVortices] = {};
  float vortexStepY[kMaxVortices] = {};
  float vortexWanderX[kMaxVortices] = {};
  float vortexWanderY[kMaxVortices] = {};
  double vortexReach[kMaxVortices] = {};

  std::string favoriteName;

  // Steering: where the field lies in the window the pointer moves over
  // (the pointer steers it only from inside, counted from the corner), and
  // vortex 0's centre in the previous steered frame, (-1, -1) for none. A
  // field no shell places takes the pointer as it comes.
  RectI place = {0, 0, INT32_MAX, INT32_MAX};
  PointF lastSteerPoint = {-1.0f, -1.0f};

  FramePath framePath = FramePath::kFast;

 protected:
  // Creates a surface of the given kind, stores it and opens it on the window.
  ResultCode CreateSurface(std::unique_ptr<DrawSurface> made, int32_t bits, DisplayInterface* through);
  // Memory for count floats, or null; a seam so that tests can refuse it.
  virtual std::unique_ptr<float[]> AllocateGrainBlock(size_t count);
  // The platform's mode-changing display, or null where there is none.
  virtual std::unique_ptr<DisplayInterface> CreateDisplay();
  // Whether the logged-on user's name can be read; a full-screen run that
  // cannot read it keeps the desktop's mode.
  virtual int32_t CanReadUserName();
  void RefreshFade();

 private:
  SettingsStore* store_;
  const Clock* clock_;
  std::unique_ptr<float[]> grainBlock_;
  int32_t blockGrains_ = 0;  // grains the block holds, at least grainCapacity
};

}  // namespace brindlemar

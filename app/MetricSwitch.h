#pragma once

#include <chrono>
#include <string>
#include <vector>

// The active metric's life: building it (by key, option or reload), the
// Minkowski exponent it draws with, and what the window says about it.

// The index of the user's own metric, built from metricFile().
constexpr int kCustomMetric = 4;

// Replaces the current metric by a newly built one: 1 city-block, 2
// Riemannian from "riemann.mat", 3 Minkowski with getP(), kCustomMetric the
// user's own from metricFile() (while there is one), anything else
// Euclidean. The old metric goes first. If the new one cannot be built, its
// message is written as one line to std::cerr, current stays null and no
// program is bound, so the primitive is drawn by the fixed-function pipeline
// until a later switch succeeds. Either way, the files of the metric asked
// for are watched from then on.
void changeMetric(int index);

// The vertex shader of the user's own metric; empty (the default) for none.
void setMetricFile(const std::string& path);
const std::string& metricFile();
// The name of the metric last asked for: "Euclidean", "city-block",
// "Riemannian", "Minkowski", or the file name of the user's own.
std::string metricName();
// The index changeMetric was last asked for (kCustomMetric only while there
// is a file), whether or not it built.
int metricIndex();

// The Minkowski exponent: 3 at start, kept across switches and rebuilds.
// Infinity is std::numeric_limits<float>::infinity().
float getP();
// Sets the exponent, clamped by clampP (NaN is ignored), and stops the
// sweep; a current Minkowski metric takes it at once, without a rebuild.
void setP(float p);
// Starts the sweep of p, from the next frame, or stops it.
void toggleSweep();
// Whether the sweep is on.
bool sweepRunning();
// Moves a running sweep to `elapsedMs` (GLUT_ELAPSED_TIME); the first call
// after the sweep starts sets its time zero. Called once a frame.
void advanceSweep(int elapsedMs);

// Rebuilds the metric last asked for, with changeMetric, once its files have
// changed on disk and then stayed unchanged for 100 ms; the files are
// compared at most every 100 ms. Returns whether it rebuilt. Does nothing
// while watching is off. `now` is any steady clock reading; renderScene
// passes the real one.
bool reloadChanged(std::chrono::steady_clock::time_point now);
// Turns watching the metric's files on (the default) or off.
void setWatching(bool on);

// Names the metric that is on ("<metricName()> metric"), with pStatus for
// the Minkowski metric; empty while none is.
const std::string& statusLine();
// While no metric is on because the last build failed: its one-line message,
// then the first lines of the driver's info log for a compile or link error.
// Empty otherwise.
const std::vector<std::string>& failureLines();

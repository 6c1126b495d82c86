#include "model/run_settings.h"

#include <gtest/gtest.h>

namespace kavri {
namespace {

TEST(RunSettings, RunDefaultsDifferFromGeneticPrefill) {
    RunSettings settings;
    applyRunDefaults(settings);
    EXPECT_EQ(settings.model, [] {
        ModelParameters expected = modelPrefill();
        return expected;
    }());
    EXPECT_EQ(settings.ga.nIterations, 100);
    EXPECT_EQ(settings.ga.pMutation, 0.01);
    EXPECT_EQ(settings.ga.pSelection, 0.6);
    EXPECT_EQ(settings.ga.fitnessKind, kFitnessMse);
    EXPECT_EQ(settings.ga.criterion, kCriterionRelative);
    EXPECT_EQ(settings.ga.printResiduals, kPrintResidualsNo);
    EXPECT_EQ(gaPrefill().nIterations, 300);
    EXPECT_EQ(gaPrefill().pMutation, 0.001);
}

TEST(RunSettings, ModelRunDefaultsKeepTheUsersThresholds) {
    RunSettings settings;
    settings.model.nThresholds = 2;
    settings.model.thresholds = {0.5, -0.25, 7.0};
    applyRunDefaults(settings);
    EXPECT_EQ(settings.model.nThresholds, 2);
    EXPECT_EQ(settings.model.thresholds[1], -0.25);
    EXPECT_EQ(settings.model.nObservations, 450);
}

TEST(RunSettings, ShownDialogsAreNeverOverwrittenByRunDefaults) {
    RunSettings settings;
    settings.modelDialogCount = 1;
    settings.gaDialogCount = 1;
    settings.model.nObservations = 300;
    settings.ga = gaPrefill();
    applyRunDefaults(settings);
    EXPECT_EQ(settings.model.nObservations, 300);
    EXPECT_EQ(settings.ga, gaPrefill());
}

}  // namespace
}  // namespace kavri

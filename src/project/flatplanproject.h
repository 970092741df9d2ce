#pragma once

// The flat planner over the project document: what it reads from the
// document and its settings, and what it writes back.

#include "project/flatplanner.h"
#include "project/planningdispatch.h"

// One flat planning run, detached from the document so that it can run on a
// worker thread while the window keeps painting; Apply writes it back.
struct FlatPlanJob
{
    std::vector<tfigura> figures;
    FlatPlanSettings settings;
    FlatPlanState state;
    FlatPlanResult result;

    static FlatPlanJob From(const TProjectDocument &document);
    void Run(const TPlanControl &control);
    TPlanOutcome Apply(TProjectDocument &document);
};

// Plans the document's figures as one continuous flat cut (ciecie).
TPlanOutcome ciecie(TProjectDocument &document, const TPlanControl &control);

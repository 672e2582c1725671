// Jobs that workers of the web build hold until the backend runs them between frames.
#pragma once

bool HasPendingWork();
// Runs every job started and not yet run, in the order they were started.
void RunPendingWork();

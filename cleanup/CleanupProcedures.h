#pragma once

class CleanupHost;

// Button 1: find each product by its service and clean it up.
void OnAutoCleanClicked(CleanupHost& host);
// Button 2: clean up the folder typed into the path box.
void OnManualCleanClicked(CleanupHost& host);

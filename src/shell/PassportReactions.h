#pragma once
#include "access/DeviceSelection.h"
#include "access/DriveSession.h"
#include "form/MainForm.h"
#include "info/PassportSubscribers.h"

namespace korvane::shell {

// What each group of the window does with a new passport. Each takes only the controls of its
// own group; the subsystems built later register theirs beside these.
void subscribeSectorView(info::PassportSubscribers& s, form::SectorGroup& sector, const access::DriveSession& session);
void subscribePartitions(info::PassportSubscribers& s, form::PartitionGroup& partitions);
void subscribeHpa(info::PassportSubscribers& s, form::HpaGroup& hpa);
void subscribeSeek(info::PassportSubscribers& s, form::SeekGroup& seek, const access::DriveSession& session);
void subscribeSmart(info::PassportSubscribers& s, form::SmartPage& smart);
void subscribeScan(info::PassportSubscribers& s, form::TestsPage& tests, const access::DriveSession& session,
                   access::DeviceSelection& selection);

} // namespace korvane::shell

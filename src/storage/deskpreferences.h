#pragma once

class XHelper;

// How the operator wants new calls announced, kept as members of vorlan.conf:
// "notifyNewCalls" and "notificationSound", both on when missing; and whether the operator was
// told that closing the window keeps the program in the tray ("toldKeptInTray").
struct DeskPreferences {
    bool notify = true;
    bool sound = true;
    bool toldKeptInTray = false;

    static DeskPreferences load(XHelper& helper);
    // Keeps the file's other members; a file that holds no JSON object is left alone.
    bool store(XHelper& helper) const;
};

#pragma once

// A request to end the program from outside (SIGTERM when the session ends or a service
// manager stops it, SIGINT or SIGHUP from its terminal) quits the event loop as closing the
// window does, so what is still to be saved is written before the process ends. A second
// request ends the process at once, should that writing hang. Nothing where there are no
// such signals.
void quitOnTerminationSignals();

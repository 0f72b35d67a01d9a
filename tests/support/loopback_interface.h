#pragma once

// A new network namespace starts with its loopback interface down: brings it up. False when it
// could not (outside such a namespace it needs the right to configure the machine's network).
bool bringLoopbackUp();

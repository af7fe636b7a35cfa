#pragma once

#include "net/vlrequest.h"
#include "testhttpserver.h"

#include <memory>

// A request object and the loopback site it talks to, made afresh for each test function.
class RequestFixture {
public:
    bool setUpRequest(); // false when the site cannot listen
    void tearDownRequest();

    std::unique_ptr<TestHttpServer> server;
    std::unique_ptr<VLRequest> request;
};

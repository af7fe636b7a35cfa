#include "requestfixture.h"

bool RequestFixture::setUpRequest() {
    server = std::make_unique<TestHttpServer>();
    request = std::make_unique<VLRequest>(nullptr);
    return server->listen();
}

void RequestFixture::tearDownRequest() {
    request.reset();
    server.reset();
}

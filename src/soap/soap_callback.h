// What the SOAP client tells the object that started an exchange.
#pragma once

// Told when an exchange failed or timed out; never on success.
class SOAPClientCallback {
 public:
  virtual ~SOAPClientCallback() = default;
  virtual void recieveEndCallback() = 0;
};

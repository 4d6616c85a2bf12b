"""The SOAP header a zeep peer sends: GBK texts in Base64, the identity fields as tokens (one random
letter after each Base64 character), as the service expects them."""

import base64
import random
import string


def b64(text):
    return base64.b64encode(text.encode("gbk")).decode("ascii")


def token(text):
    plain = b64(text)
    return "".join(c + random.choice(string.ascii_letters) for c in plain[:-1]) + plain[-1:]


def header(customer="", software="", device="", company_type=""):
    return {"Header": {"F_CUSTOMERID": token(customer), "F_SOFTWAREID": token(software),
                       "F_DEVICECODE": token(device), "F_COMPANYTYPE": b64(company_type),
                       "F_VERSIONNUM": b64("2.0.0.0")}}

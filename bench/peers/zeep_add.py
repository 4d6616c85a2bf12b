#!/usr/bin/python3
"""The end-to-end add peer: a zeep client built from photo-service's WSDL logs in, queries the
company, lists its photos and adds one photo whose two versions are already prepared (SOURCE and
SMALL, JPEG files), as `uploadpic-cli add` does after its own preparation.

Usage: zeep_add.py PORT COMPANY TYPECODE NOTE SOURCE SMALL
"""

import sys

import zeep

from caller_header import b64, header

PORT, COMPANY, TYPECODE, NOTE, SOURCE, SMALL = sys.argv[1:7]
PORT = int(PORT)

svc = zeep.Client("http://127.0.0.1:%d/PictureService.asmx?wsdl" % PORT).service
assert svc.Func_ValidateUserLogin(_soapheaders=header("demo", "demo123")).F_OPERRESULT == "1110"
company = svc.Func_QueryCompanyInfo(_soapheaders=header(COMPANY, COMPANY[3:], "", COMPANY[:3]))
assert company.F_OPERRESULT == "1110"
caller = header(company.F_CUSTOMERID, company.F_SOFTWAREID, company.F_DEVICEID, company.F_COMPANYTYPE)
listing = svc.Func_GetCompanyPhotoList(_soapheaders=caller)
assert listing.F_OPERRESULT == "1110"
with open(SOURCE, "rb") as f:
    source = f.read()
with open(SMALL, "rb") as f:
    small = f.read()
result = svc.Func_InsertCompanyPhoto(
    aPicInfo={"F_ID": "", "F_COMPANYID": b64(company.F_CUSTOMERID), "F_PHOTO": source,
              "F_SMALLPHOTO": small, "F_BUSFLAG": b64(company.F_COMPANYTYPE), "F_FLAG": b64(TYPECODE),
              "F_MEMO": b64(NOTE)},
    _soapheaders=caller)
assert result.F_OPERRESULT == "1110", result
print(result.F_OPERRESULT)

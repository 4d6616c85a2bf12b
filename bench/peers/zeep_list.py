#!/usr/bin/python3
"""The end-to-end list peer: a zeep client built from photo-service's WSDL logs in, queries the
company, lists its photos and writes each small version to OUTDIR/<photo ID>_0.jpg, as
`uploadpic-cli list` does.

Usage: zeep_list.py PORT COMPANY OUTDIR
"""

import base64
import os
import sys

import zeep

from caller_header import header

PORT, COMPANY, OUTDIR = int(sys.argv[1]), sys.argv[2], sys.argv[3]


svc = zeep.Client("http://127.0.0.1:%d/PictureService.asmx?wsdl" % PORT).service
assert svc.Func_ValidateUserLogin(_soapheaders=header("demo", "demo123")).F_OPERRESULT == "1110"
company = svc.Func_QueryCompanyInfo(_soapheaders=header(COMPANY, COMPANY[3:], "", COMPANY[:3]))
assert company.F_OPERRESULT == "1110"
listing = svc.Func_GetCompanyPhotoList(_soapheaders=header(
    company.F_CUSTOMERID, company.F_SOFTWAREID, company.F_DEVICEID, company.F_COMPANYTYPE))
assert listing.F_OPERRESULT == "1110"
for photo in listing.F_PICLIST.TPictureInfo:
    name = base64.b64decode(photo.F_ID).decode("gbk")
    with open(os.path.join(OUTDIR, name + "_0.jpg"), "wb") as f:
        f.write(photo.F_SMALLPHOTO)
print(len(listing.F_PICLIST.TPictureInfo))

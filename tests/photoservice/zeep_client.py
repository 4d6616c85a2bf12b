#!/usr/bin/python3
"""A standard SOAP client built from the WSDL that photo-service serves calls the service.

Usage: zeep_client.py PATH/TO/photo-service
Starts the service on a free loopback port with a fresh demo database, builds a zeep client from
GET /PictureService.asmx?wsdl and calls login, company query, photo list, photo fetch, insert and
delete. Exits non-zero with a message on the first failed check.
"""

import base64
import datetime
import os
import random
import string
import subprocess
import sys
import tempfile

import zeep

# Mirrors server/DemoData.h.
USER, PASSWORD = "demo", "demo123"
COMPANY = "3101150012345"
COMPANY_NAME = "上海明珠餐饮有限公司"
PHOTO_COUNT, PHOTO_LIMIT, TYPE_COUNT = 4, 6, 5


def b64(text):
    return base64.b64encode(text.encode("gbk")).decode("ascii")


def unb64(text):
    return base64.b64decode(text).decode("gbk")


def token(text):
    """The header token: a random letter after every Base64 character but the last."""
    plain = b64(text)
    return "".join(c + random.choice(string.ascii_letters) for c in plain[:-1]) + plain[-1:]


def header(customer="", software="", device="", company_type=""):
    return {
        "F_CUSTOMERID": token(customer),
        "F_SOFTWAREID": token(software),
        "F_DEVICECODE": token(device),
        "F_COMPANYTYPE": b64(company_type),
        "F_VERSIONNUM": b64("2.0.0.0"),
    }


def check(condition, what):
    if not condition:
        raise SystemExit("FAILED: " + what)


def tiny_jpeg():
    # Smallest useful JPEG signature; the service checks the signature, not the whole image.
    return b"\xff\xd8\xff\xe0" + b"\x00" * 16 + b"\xff\xd9"


def run(service, db_dir):
    proc = subprocess.Popen(
        [service, "--listen", "127.0.0.1:0", "--db", os.path.join(db_dir, "zeep.db"), "--seed-demo"],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        line = proc.stdout.readline().strip()
        check(line.startswith("listening on 127.0.0.1:"), "service start line: %r" % line)
        port = int(line.rsplit(":", 1)[1])
        client = zeep.Client("http://127.0.0.1:%d/PictureService.asmx?wsdl" % port)
        svc = client.service

        login = svc.Func_ValidateUserLogin(_soapheaders={"Header": header(USER, PASSWORD)})
        check(login.F_OPERRESULT == "1110", "login: %s" % login.F_OPERRESULT)
        denied = svc.Func_ValidateUserLogin(_soapheaders={"Header": header(USER, "wrong")})
        check(denied.F_OPERRESULT == "2003", "wrong password: %s" % denied.F_OPERRESULT)

        query_header = header(COMPANY, COMPANY[3:], "", COMPANY[:3])
        company = svc.Func_QueryCompanyInfo(_soapheaders={"Header": query_header})
        check(company.F_OPERRESULT == "1110", "query: %s" % company.F_OPERRESULT)
        check(unb64(company.F_COMPANYNAME) == COMPANY_NAME, "company name")

        photo_header = {"Header": header(company.F_CUSTOMERID, company.F_SOFTWAREID,
                                         company.F_DEVICEID, company.F_COMPANYTYPE)}
        listing = svc.Func_GetCompanyPhotoList(_soapheaders=photo_header)
        check(listing.F_OPERRESULT == "1110", "list: %s" % listing.F_OPERRESULT)
        check(listing.F_MAXNUMBER == PHOTO_LIMIT, "photo limit %s" % listing.F_MAXNUMBER)
        photos = listing.F_PICLIST.TPictureInfo
        check(len(photos) == PHOTO_COUNT, "photo count %d" % len(photos))
        check(all(p.F_ISEXISTS == "1" and p.F_SMALLPHOTO[:2] == b"\xff\xd8" for p in photos), "small photos")
        types = [unb64(t) for t in listing.F_FLAGLIST.string]
        check(len(types) == TYPE_COUNT and types[0] == "01 门头照片", "type list %r" % types)

        first_id = unb64(photos[0].F_ID)
        fetched = svc.Func_GetCompanyPhoto(aPhotoId=b64(first_id), aFlag=b64("1"), _soapheaders=photo_header)
        check(fetched.F_OPERRESULT == "1110" and fetched.F_FLAG == 1, "fetch source")
        check(fetched.F_PHOTO[:2] == b"\xff\xd8", "fetched JPEG")
        missing = svc.Func_GetCompanyPhoto(aPhotoId=b64("nope"), aFlag=b64("0"), _soapheaders=photo_header)
        check(missing.F_OPERRESULT == "2002", "missing photo: %s" % missing.F_OPERRESULT)

        info = {"F_ID": "", "F_COMPANYID": b64(company.F_CUSTOMERID), "F_PHOTO": tiny_jpeg(),
                "F_SMALLPHOTO": tiny_jpeg(), "F_BUSFLAG": b64(company.F_COMPANYTYPE), "F_FLAG": b64("05"),
                "F_MEMO": b64("消防通道"), "F_INPUTTIME": "", "F_ISEXISTS": ""}
        inserted = svc.Func_InsertCompanyPhoto(aPicInfo=info, _soapheaders=photo_header)
        check(inserted.F_OPERRESULT == "1110", "insert: %s" % inserted.F_OPERRESULT)
        # The client derives the new ID the same way; compute it from the local date on both sides.
        new_id = "W" + company.F_CUSTOMERID + datetime.date.today().strftime("%Y%m%d") + "05"
        deleted = svc.Func_DeleteCompanyPhoto(aPhotoId=new_id, _soapheaders=photo_header)
        check(deleted.F_OPERRESULT == "1110", "delete %s: %s" % (new_id, deleted.F_OPERRESULT))
        print("zeep client: all calls answered as expected")
    finally:
        proc.terminate()
        proc.wait(timeout=30)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    with tempfile.TemporaryDirectory() as tmp:
        run(sys.argv[1], tmp)

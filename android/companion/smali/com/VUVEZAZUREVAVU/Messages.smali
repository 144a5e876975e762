# What the desktop hands over and how one message leaves the phone.
#
# A start with NUM and MSG sends MSG to NUM; NUM alone sends the text of "message.txt" in the
# storage root to NUM; no extras at all sends every record of "zazoziz.txt" in the storage root.
# A record of zazoziz.txt is: number, the separator ,~$^' and the message, ended by CR LF; a line
# break inside a message travels as the marker S5%J7.qB~X4,9z/pT_VORN_AP_DX/.
.class public final Lcom/VUVEZAZUREVAVU/Messages;
.super Ljava/lang/Object;
.source "Messages.smali"


.method private constructor <init>()V
    .registers 1

    invoke-direct {p0}, Ljava/lang/Object;-><init>()V

    return-void
.end method

# Number and message pairs, in order, for one start; empty when there is nothing to send.
.method public static fromStart(Landroid/content/Intent;)Ljava/util/ArrayList;
    .registers 5

    new-instance v0, Ljava/util/ArrayList;
    invoke-direct {v0}, Ljava/util/ArrayList;-><init>()V

    if-nez p0, :has_intent
    return-object v0

    :has_intent
    const-string v1, "NUM"
    invoke-virtual {p0, v1}, Landroid/content/Intent;->getStringExtra(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    const-string v2, "MSG"
    invoke-virtual {p0, v2}, Landroid/content/Intent;->getStringExtra(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2

    if-nez v1, :one_number
    const-string v3, "zazoziz.txt"
    invoke-static {v3}, Lcom/VUVEZAZUREVAVU/Messages;->readStorageFile(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v3
    if-eqz v3, :nothing
    invoke-static {v3, v0}, Lcom/VUVEZAZUREVAVU/Messages;->parseList(Ljava/lang/String;Ljava/util/ArrayList;)V
    return-object v0

    :one_number
    if-nez v2, :add_one
    const-string v2, "message.txt"
    invoke-static {v2}, Lcom/VUVEZAZUREVAVU/Messages;->readStorageFile(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2
    if-eqz v2, :nothing

    :add_one
    invoke-virtual {v1}, Ljava/lang/String;->trim()Ljava/lang/String;
    move-result-object v1
    invoke-virtual {v0, v1}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    invoke-virtual {v0, v2}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    return-object v0

    :nothing
    const-string v1, "TeskCompanion"
    const-string v2, "no message file in the storage root"
    invoke-static {v1, v2}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;)I
    return-object v0
.end method

# Appends the number and message of every record of a zazoziz.txt text to `out`; lines without
# separator or number are passed over.
.method public static parseList(Ljava/lang/String;Ljava/util/ArrayList;)V
    .registers 9

    const-string v0, "\r\n"
    invoke-virtual {p0, v0}, Ljava/lang/String;->split(Ljava/lang/String;)[Ljava/lang/String;
    move-result-object v0
    array-length v1, v0
    const/4 v2, 0x0

    :loop
    if-ge v2, v1, :done

    aget-object v3, v0, v2
    const-string v4, ",~$^\'"
    invoke-virtual {v3, v4}, Ljava/lang/String;->indexOf(Ljava/lang/String;)I
    move-result v4
    if-lez v4, :next

    const/4 v5, 0x0
    invoke-virtual {v3, v5, v4}, Ljava/lang/String;->substring(II)Ljava/lang/String;
    move-result-object v5
    invoke-virtual {v5}, Ljava/lang/String;->trim()Ljava/lang/String;
    move-result-object v5

    add-int/lit8 v4, v4, 0x5
    invoke-virtual {v3, v4}, Ljava/lang/String;->substring(I)Ljava/lang/String;
    move-result-object v3
    const-string v4, "S5%J7.qB~X4,9z/pT_VORN_AP_DX/"
    const-string v6, "\n"
    invoke-virtual {v3, v4, v6}, Ljava/lang/String;->replace(Ljava/lang/CharSequence;Ljava/lang/CharSequence;)Ljava/lang/String;
    move-result-object v3

    invoke-virtual {p1, v5}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z
    invoke-virtual {p1, v3}, Ljava/util/ArrayList;->add(Ljava/lang/Object;)Z

    :next
    add-int/lit8 v2, v2, 0x1
    goto :loop

    :done
    return-void
.end method

# The text of a file in the storage root, or null. adb pushed it to the shell's
# EXTERNAL_STORAGE, which is the directory apps know as the external storage directory; the
# other two places are asked too for phones where the two names differ.
.method public static readStorageFile(Ljava/lang/String;)Ljava/lang/String;
    .registers 6

    invoke-static {}, Landroid/os/Environment;->getExternalStorageDirectory()Ljava/io/File;
    move-result-object v0
    invoke-virtual {v0}, Ljava/io/File;->getPath()Ljava/lang/String;
    move-result-object v0
    const-string v1, "EXTERNAL_STORAGE"
    invoke-static {v1}, Ljava/lang/System;->getenv(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    const/4 v2, 0x3
    new-array v2, v2, [Ljava/lang/String;
    const/4 v3, 0x0
    aput-object v0, v2, v3
    const/4 v3, 0x1
    aput-object v1, v2, v3
    const/4 v3, 0x2
    const-string v4, "/sdcard"
    aput-object v4, v2, v3
    move-object v0, v2

    array-length v1, v0
    const/4 v2, 0x0

    :loop
    if-ge v2, v1, :none
    aget-object v3, v0, v2
    if-eqz v3, :next
    new-instance v4, Ljava/io/File;
    invoke-direct {v4, v3, p0}, Ljava/io/File;-><init>(Ljava/lang/String;Ljava/lang/String;)V
    invoke-virtual {v4}, Ljava/io/File;->isFile()Z
    move-result v3
    if-eqz v3, :next
    invoke-static {v4}, Lcom/VUVEZAZUREVAVU/Messages;->readUtf8(Ljava/io/File;)Ljava/lang/String;
    move-result-object v3
    if-eqz v3, :next
    return-object v3

    :next
    add-int/lit8 v2, v2, 0x1
    goto :loop

    :none
    const/4 v0, 0x0
    return-object v0
.end method

# The whole file as UTF-8 text without a leading byte-order mark, or null when it cannot be
# read (no storage permission, gone meanwhile).
.method public static readUtf8(Ljava/io/File;)Ljava/lang/String;
    .registers 7

    :try_start
    new-instance v0, Ljava/io/FileInputStream;
    invoke-direct {v0, p0}, Ljava/io/FileInputStream;-><init>(Ljava/io/File;)V
    new-instance v1, Ljava/io/ByteArrayOutputStream;
    invoke-direct {v1}, Ljava/io/ByteArrayOutputStream;-><init>()V
    const/16 v2, 0x2000
    new-array v2, v2, [B

    :read
    invoke-virtual {v0, v2}, Ljava/io/FileInputStream;->read([B)I
    move-result v3
    if-ltz v3, :end_of_file
    const/4 v4, 0x0
    invoke-virtual {v1, v2, v4, v3}, Ljava/io/ByteArrayOutputStream;->write([BII)V
    goto :read

    :end_of_file
    invoke-virtual {v0}, Ljava/io/FileInputStream;->close()V
    invoke-virtual {v1}, Ljava/io/ByteArrayOutputStream;->toByteArray()[B
    move-result-object v1
    new-instance v0, Ljava/lang/String;
    const-string v2, "UTF-8"
    invoke-direct {v0, v1, v2}, Ljava/lang/String;-><init>([BLjava/lang/String;)V
    :try_end
    .catch Ljava/lang/Exception; {:try_start .. :try_end} :failed

    const-string v1, "\ufeff"
    invoke-virtual {v0, v1}, Ljava/lang/String;->startsWith(Ljava/lang/String;)Z
    move-result v1
    if-eqz v1, :text
    const/4 v1, 0x1
    invoke-virtual {v0, v1}, Ljava/lang/String;->substring(I)Ljava/lang/String;
    move-result-object v0

    :text
    return-object v0

    :failed
    move-exception v0
    const-string v1, "TeskCompanion"
    const-string v2, "cannot read "
    invoke-virtual {p0}, Ljava/io/File;->getPath()Ljava/lang/String;
    move-result-object v3
    invoke-virtual {v2, v3}, Ljava/lang/String;->concat(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2
    invoke-static {v1, v2, v0}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    const/4 v0, 0x0
    return-object v0
.end method

# Hands one message to the platform's SMS manager: a message longer than one SMS goes as a
# multipart message, which the recipient's phone joins again. Empty numbers or messages are
# passed over; a refusal (no permission, no service) is logged and the list goes on.
.method public static send(Ljava/lang/String;Ljava/lang/String;)V
    .registers 8

    invoke-virtual {p0}, Ljava/lang/String;->isEmpty()Z
    move-result v0
    if-nez v0, :skipped
    invoke-virtual {p1}, Ljava/lang/String;->isEmpty()Z
    move-result v0
    if-nez v0, :skipped

    :try_start
    invoke-static {}, Landroid/telephony/SmsManager;->getDefault()Landroid/telephony/SmsManager;
    move-result-object v0
    move-object v1, p0
    const/4 v2, 0x0
    const/4 v4, 0x0
    const/4 v5, 0x0
    invoke-virtual {v0, p1}, Landroid/telephony/SmsManager;->divideMessage(Ljava/lang/String;)Ljava/util/ArrayList;
    move-result-object v3
    invoke-virtual {v3}, Ljava/util/ArrayList;->size()I
    move-result v4
    const/4 v5, 0x1
    if-le v4, v5, :single_part

    const/4 v4, 0x0
    const/4 v5, 0x0
    invoke-virtual/range {v0 .. v5}, Landroid/telephony/SmsManager;->sendMultipartTextMessage(Ljava/lang/String;Ljava/lang/String;Ljava/util/ArrayList;Ljava/util/ArrayList;Ljava/util/ArrayList;)V
    goto :sent

    :single_part
    move-object v3, p1
    const/4 v4, 0x0
    const/4 v5, 0x0
    invoke-virtual/range {v0 .. v5}, Landroid/telephony/SmsManager;->sendTextMessage(Ljava/lang/String;Ljava/lang/String;Ljava/lang/String;Landroid/app/PendingIntent;Landroid/app/PendingIntent;)V

    :sent
    const-string v0, "TeskCompanion"
    const-string v1, "handed to the radio: "
    invoke-virtual {v1, p0}, Ljava/lang/String;->concat(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    invoke-static {v0, v1}, Landroid/util/Log;->i(Ljava/lang/String;Ljava/lang/String;)I
    :try_end
    .catch Ljava/lang/Exception; {:try_start .. :try_end} :failed

    return-void

    :failed
    move-exception v0
    const-string v1, "TeskCompanion"
    const-string v2, "not sent to "
    invoke-virtual {v2, p0}, Ljava/lang/String;->concat(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v2
    invoke-static {v1, v2, v0}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I
    return-void

    :skipped
    return-void
.end method

.method public static pause(J)V
    .registers 3

    :try_start
    invoke-static {p0, p1}, Ljava/lang/Thread;->sleep(J)V
    :try_end
    .catch Ljava/lang/InterruptedException; {:try_start .. :try_end} :interrupted

    :interrupted
    return-void
.end method
